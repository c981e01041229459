// The editor library links with the controls and the engine.
#include "kx/controls/ControlClasses.h"

#include <gtest/gtest.h>

TEST(EditorLibrary, LinksTheFrameworkControls)
{
    EXPECT_EQ(KX::GetBuiltInControlClasses().size(), 35u);
}
