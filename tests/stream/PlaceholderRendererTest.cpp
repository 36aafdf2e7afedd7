// SPDX-License-Identifier: MIT
// The placeholder picture, pixel by pixel.
#include "stream/PlaceholderRenderer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <vector>

#include "platform/media/MediaFaults.h"
#include "support/PixelReader.h"

namespace kavorn {
namespace {

using test::BGRA;
using test::PixelReader;

struct Colour {
    double r, g, b;
};

// The SMPTE layout, written out independently of the renderer. The whole layout at both sizes
// is checked pixel by pixel by tests/tools/check_placeholder.py; these tests cover the rest.
const std::array<Colour, 7> kTop{{{.75, .75, .75},
                                  {.75, .75, 0},
                                  {0, .75, .75},
                                  {0, .75, 0},
                                  {.75, 0, .75},
                                  {.75, 0, 0},
                                  {0, 0, .75}}};
const std::array<Colour, 7> kMiddle{{{0, 0, .75},
                                     {.075, .075, .075},
                                     {.75, 0, .75},
                                     {.075, .075, .075},
                                     {0, .75, .75},
                                     {.075, .075, .075},
                                     {.75, .75, .75}}};
const std::array<Colour, 8> kBottom{{{0, .129, .298},
                                     {1, 1, 1},
                                     {.196, 0, .416},
                                     {.075, .075, .075},
                                     {.035, .035, .035},
                                     {.075, .075, .075},
                                     {.114, .114, .114},
                                     {.075, .075, .075}}};
bool near(BGRA p, const Colour& c) {
    return test::near(p, c.r, c.g, c.b, 1);
}

TEST(PlaceholderRendererTest, SnappedBandsAt1920x1080StartWhereDocumented) {
    CVPixelBufferRef buffer = makePlaceholderPixelBuffer(1920, 1080);
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(buffer->pixelFormatType(), kCVPixelFormatType_32BGRA);
    CVPixelBufferAttributes attributes;
    attributes.ioSurfaceProperties = CVPixelBufferAttributes::IOSurfaceProperties{};
    attributes.cgBitmapContextCompatibility = true;
    EXPECT_EQ(buffer->attributes(), attributes);
    PixelReader px(buffer);

    // A shared boundary column belongs to the bar on its right: each bar's first column is its
    // own, the column before it the previous bar's.
    const std::array<std::size_t, 7> bars{0, 274, 548, 822, 1097, 1371, 1645};
    const std::array<std::size_t, 8> bottom{0, 342, 685, 1028, 1371, 1462, 1554, 1645};
    for (std::size_t i = 0; i < bars.size(); ++i) {
        EXPECT_TRUE(near(px.at(bars[i], 1000), kTop[i])) << "top bar " << i;
        EXPECT_TRUE(near(px.at(bars[i], 300), kMiddle[i])) << "middle bar " << i;
        if (i > 0) {
            EXPECT_TRUE(near(px.at(bars[i] - 1, 1000), kTop[i - 1])) << "top bar " << i;
            EXPECT_TRUE(near(px.at(bars[i] - 1, 300), kMiddle[i - 1])) << "middle bar " << i;
        }
    }
    for (std::size_t i = 0; i < bottom.size(); ++i) {
        EXPECT_TRUE(near(px.at(bottom[i], 100), kBottom[i])) << "bottom segment " << i;
        if (i > 0) {
            EXPECT_TRUE(near(px.at(bottom[i] - 1, 100), kBottom[i - 1])) << "bottom segment " << i;
        }
    }
    // The bottom band is a hair under a quarter of the height, so its last row is 269; the
    // middle strip takes rows 270 to 356 and the top bars start at 357.
    EXPECT_TRUE(near(px.at(10, 269), kBottom[0]));
    EXPECT_TRUE(near(px.at(10, 270), kMiddle[0]));
    EXPECT_TRUE(near(px.at(10, 356), kMiddle[0]));
    EXPECT_TRUE(near(px.at(10, 357), kTop[0]));
    EXPECT_TRUE(near(px.at(1919, 1079), kTop[6]));
    EXPECT_TRUE(near(px.at(1919, 0), kBottom[7]));
}

TEST(PlaceholderRendererTest, SameSizeGivesTheSamePicture) {
    CVPixelBufferRef a = makePlaceholderPixelBuffer(640, 360);
    CVPixelBufferRef b = makePlaceholderPixelBuffer(640, 360);
    ASSERT_TRUE(a && b);
    ASSERT_NE(a, b);
    CVPixelBufferLockBaseAddress(a, kCVPixelBufferLock_ReadOnly);
    CVPixelBufferLockBaseAddress(b, kCVPixelBufferLock_ReadOnly);
    EXPECT_EQ(
        std::memcmp(CVPixelBufferGetBaseAddress(a), CVPixelBufferGetBaseAddress(b), a->dataSize()),
        0);
    CVPixelBufferUnlockBaseAddress(a, kCVPixelBufferLock_ReadOnly);
    CVPixelBufferUnlockBaseAddress(b, kCVPixelBufferLock_ReadOnly);
}

TEST(PlaceholderRendererTest, NoBufferForSizesThatCannotBeMade) {
    for (auto [w, h] : {std::pair<std::int64_t, std::int64_t>{0, 1080},
                        {1920, 0},
                        {-1, 720},
                        {1920, -1080},
                        {1LL << 40, 1080},
                        {20000, 20000}}) {
        EXPECT_EQ(makePlaceholderPixelBuffer(w, h), nullptr) << w << "x" << h;
    }
    EXPECT_NE(makePlaceholderPixelBuffer(1, 1), nullptr);
}

TEST(PlaceholderRendererTest, BufferThatCannotBeDrawnOnComesBackUndrawn) {
    for (MediaCall call : {MediaCall::CVPixelBufferBaseAddress, MediaCall::CGBitmapContextCreate}) {
        CVPixelBufferRef buffer;
        {
            ScopedMediaFault fault(call);
            buffer = makePlaceholderPixelBuffer(64, 36);
        }
        ASSERT_NE(buffer, nullptr);
        EXPECT_EQ(buffer->baseAddress(), nullptr) << "unlocked again";
        PixelReader px(buffer);
        for (std::size_t y = 0; y < 36; ++y) {
            for (std::size_t x = 0; x < 64; ++x) {
                ASSERT_EQ(px.at(x, y).a, 0) << "nothing drawn at " << x << "," << y;
            }
        }
    }
}

TEST(PlaceholderRendererTest, FallsBackToHelveticaWhenTheInterfaceFontIsMissing) {
    CVPixelBufferRef usual = makePlaceholderPixelBuffer(1920, 1080);
    CVPixelBufferRef fallback;
    {
        ScopedMediaFault noSystemFont(MediaCall::CTFontCreateUIFontForLanguage);
        fallback = makePlaceholderPixelBuffer(1920, 1080);
    }
    ASSERT_TRUE(usual && fallback);
    PixelReader a(usual);
    PixelReader b(fallback);
    // Only the text differs: the bars and the card outside the text band are the same.
    std::size_t textDiffs = 0;
    for (std::size_t y = 0; y < 1080; y += 3) {
        for (std::size_t x = 0; x < 1920; x += 3) {
            const BGRA p = a.at(x, y);
            const BGRA q = b.at(x, y);
            const bool same = p.b == q.b && p.g == q.g && p.r == q.r && p.a == q.a;
            const bool inTextBand = x > 430 && x < 1490 && y > 600 && y < 760;
            if (!inTextBand) {
                ASSERT_TRUE(same) << x << "," << y;
            } else if (!same) {
                ++textDiffs;
            }
        }
    }
    EXPECT_GT(textDiffs, 100U) << "a different face draws different glyphs";
}

}  // namespace
}  // namespace kavorn
