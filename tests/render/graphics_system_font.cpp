// The desktop's interface font through fontconfig: size read as pixels at 96 dots per inch, the
// weight and slant as style bits, and a configuration without fonts as a failure.
#include "platform/gdi/SystemFont.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {

TEST(SystemFont, SizeAndStyleFollowTheResolvedPattern)
{
    kxtest::TempDir dir;
    // The system's configuration, with the final match forced to 16 pixels, bold and italic.
    kxtest::WriteText(dir.path() / "bold.conf",
                      "<?xml version=\"1.0\"?>\n<fontconfig>\n"
                      "  <include ignore_missing=\"yes\">/etc/fonts/fonts.conf</include>\n"
                      "  <match target=\"font\">\n"
                      "    <edit name=\"pixelsize\" mode=\"assign\"><double>16</double></edit>\n"
                      "    <edit name=\"weight\" mode=\"assign\"><const>bold</const></edit>\n"
                      "    <edit name=\"slant\" mode=\"assign\"><const>italic</const></edit>\n"
                      "  </match>\n</fontconfig>\n");
    gdi::SystemFont font;
    ASSERT_TRUE(gdi::QuerySystemFont(font, (dir.path() / "bold.conf").string()));
    EXPECT_FALSE(font.face.empty());
    EXPECT_FLOAT_EQ(font.size, 12.0f);
    EXPECT_EQ(font.style, gdi::kSystemFontBold | gdi::kSystemFontItalic);

    // The process's own configuration gives some face at some size.
    gdi::SystemFont plain;
    ASSERT_TRUE(gdi::QuerySystemFont(plain));
    EXPECT_FALSE(plain.face.empty());
    EXPECT_GT(plain.size, 0.0f);
}

TEST(SystemFont, AConfigurationWithoutFontsFailsAndLeavesTheOutputAlone)
{
    kxtest::TempDir dir;
    kxtest::WriteText(dir.path() / "empty.conf", "<?xml version=\"1.0\"?>\n<fontconfig>\n</fontconfig>\n");
    gdi::SystemFont font{"unchanged", 7, 4};
    EXPECT_FALSE(gdi::QuerySystemFont(font, (dir.path() / "empty.conf").string()));
    EXPECT_FALSE(gdi::QuerySystemFont(font, (dir.path() / "missing.conf").string()));
    EXPECT_EQ(font.face, "unchanged");
    EXPECT_EQ(font.size, 7);
    EXPECT_EQ(font.style, 4u);
}

} // namespace
