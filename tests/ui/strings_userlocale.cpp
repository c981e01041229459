// The user's default locale id from the POSIX locale variables.
#include "kx/ui/UserLocale.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

TEST(UserLocale, NamesToLocaleIds)
{
    EXPECT_EQ(KX::LocaleNameToLCID("de_DE.UTF-8"), 0x0407u);
    EXPECT_EQ(KX::LocaleNameToLCID("en_GB"), 0x0409u);
    EXPECT_EQ(KX::LocaleNameToLCID("et_EE.UTF-8"), 0x0425u);
    EXPECT_EQ(KX::LocaleNameToLCID("ja"), 0x0411u);
    EXPECT_EQ(KX::LocaleNameToLCID("fr_CA@euro"), 0x040Cu);
    EXPECT_EQ(KX::LocaleNameToLCID("zh_TW.UTF-8"), 0x7C04u);
    EXPECT_EQ(KX::LocaleNameToLCID("zh_HK"), 0x7C04u);
    EXPECT_EQ(KX::LocaleNameToLCID("zh_CN.GB18030"), 0x0004u);
    EXPECT_EQ(KX::LocaleNameToLCID("zh"), 0x0004u);
    // Not a language: the default.
    for (const char* name : {"C", "POSIX", "C.UTF-8", "", "x", "german", "qq_QQ", "1de"})
        EXPECT_EQ(KX::LocaleNameToLCID(name), 0x0409u) << name;
    EXPECT_EQ(KX::LocaleNameToLCID(nullptr), 0x0409u);
}

TEST(UserLocale, VariablePrecedence)
{
    EXPECT_EQ(KX::LCIDFromLocaleVariables("fr_FR", "de_DE", "ja_JP"), 0x040Cu);
    EXPECT_EQ(KX::LCIDFromLocaleVariables("", "de_DE", "ja_JP"), 0x0407u);
    EXPECT_EQ(KX::LCIDFromLocaleVariables(nullptr, nullptr, "ja_JP"), 0x0411u);
    EXPECT_EQ(KX::LCIDFromLocaleVariables(nullptr, "", ""), 0x0409u);
    EXPECT_EQ(KX::LCIDFromLocaleVariables("C", "de_DE", nullptr), 0x0409u);
}

TEST(UserLocale, ReadsTheProcessEnvironment)
{
    const char* saved[3] = {std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG")};
    const std::string keep[3] = {saved[0] ? saved[0] : "", saved[1] ? saved[1] : "", saved[2] ? saved[2] : ""};
    unsetenv("LC_ALL");
    setenv("LC_MESSAGES", "ko_KR.UTF-8", 1);
    setenv("LANG", "de_DE.UTF-8", 1);
    EXPECT_EQ(KX::GetUserDefaultLCID(), 0x0412u);
    unsetenv("LC_MESSAGES");
    unsetenv("LANG");
    EXPECT_EQ(KX::GetUserDefaultLCID(), 0x0409u);
    const char* names[3] = {"LC_ALL", "LC_MESSAGES", "LANG"};
    for (int i = 0; i < 3; ++i) {
        if (saved[i])
            setenv(names[i], keep[i].c_str(), 1);
    }
}

} // namespace
