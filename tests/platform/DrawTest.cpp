// SPDX-License-Identifier: MIT
// Rectangles, fonts and text lines.
#include <gtest/gtest.h>

#include "platform/draw/CTFont.h"
#include "platform/draw/CTLine.h"
#include "platform/media/MediaFaults.h"

namespace kavorn {
namespace {

TEST(CTFontTest, InterfaceFontIsTheDesktopsSystemFontInTheAskedWeight) {
    CTFontRef bold = CTFontCreateUIFontForLanguage(CTFontUIFontType::EmphasizedSystem, 54);
    CTFontRef regular = CTFontCreateUIFontForLanguage(CTFontUIFontType::System, 32.4);
    ASSERT_TRUE(bold && regular) << "fonts-cantarell provides the system-ui family";
    EXPECT_EQ(bold->familyName(), "Cantarell");
    EXPECT_EQ(bold->weight(), CTFontWeight::Bold);
    EXPECT_EQ(regular->familyName(), "Cantarell");
    EXPECT_EQ(regular->weight(), CTFontWeight::Regular);
    EXPECT_DOUBLE_EQ(regular->pointSize(), 32.4);

    EXPECT_EQ(CTFontCreateUIFontForLanguage(CTFontUIFontType::User, 12), nullptr);
    ScopedMediaFault missing(MediaCall::CTFontCreateUIFontForLanguage);
    EXPECT_EQ(CTFontCreateUIFontForLanguage(CTFontUIFontType::System, 12), nullptr);
}

TEST(CTLineTest, TypographicWidthIsUnhintedAndScalesWithTheSize) {
    auto widthOf = [](CTFontRef font) {
        CTLineRef line = CTLineCreateWithAttributedString(
            NSAttributedString{"Quorvelle Camera is off", font, CGColorCreateGenericGray(1, 1)});
        return CTLineGetTypographicBounds(line);
    };
    const double small =
        widthOf(CTFontCreateUIFontForLanguage(CTFontUIFontType::EmphasizedSystem, 10));
    const double large =
        widthOf(CTFontCreateUIFontForLanguage(CTFontUIFontType::EmphasizedSystem, 54));
    EXPECT_GT(small, 0);
    // Unhinted metrics scale linearly (hinted ones snap each advance to whole pixels).
    EXPECT_NEAR(large / small, 5.4, 0.01);

    const double helvetica = widthOf(CTFontCreateWithName("Helvetica", 54));
    EXPECT_GT(helvetica, 0);
    EXPECT_NE(helvetica, large);
    EXPECT_EQ(CTLineCreateWithAttributedString(NSAttributedString{"x", nullptr, {}}), nullptr);

    double ascent = 0, descent = 0, leading = -1;
    CTLineRef line = CTLineCreateWithAttributedString(NSAttributedString{
        "Open", CTFontCreateUIFontForLanguage(CTFontUIFontType::System, 32.4), {}});
    CTLineGetTypographicBounds(line, &ascent, &descent, &leading);
    EXPECT_GT(ascent, 20);
    EXPECT_GT(descent, 3);
    EXPECT_EQ(leading, 0);
}

}  // namespace
}  // namespace kavorn
