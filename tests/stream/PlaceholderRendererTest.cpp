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

// The SMPTE layout, written out independently of the renderer.
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
const std::array<double, 8> kBottomWidths{1.25, 1.25, 1.25, 1.25, 1.0 / 3, 1.0 / 3, 1.0 / 3, 1.0};
const Colour kCard{0.04, 0.04, 0.05};

// Where each band's visible columns and rows start: a rectangle snapped outward starts at the
// floor of its left edge, and the rectangle drawn later wins the shared column or row.
struct Layout {
    std::vector<std::size_t> barStarts;     // top and middle bands
    std::vector<std::size_t> bottomStarts;  // bottom row
    std::size_t middleFirstRow;             // first row of the middle strip
    std::size_t topFirstRow;                // first row of the top bars
    double cardLeft, cardRight, cardBottom, cardTop, radius;
    double title, subtitle;  // baselines
};

Layout layoutFor(double w, double h) {
    Layout l{};
    const double u = w / 7;
    const double bottom = h * (1 - 0.67 - 0.08);
    const double middle = h * 0.08;
    const double t0 = bottom + middle;
    const double t = (h - bottom) - middle;
    for (int i = 0; i < 7; ++i) {
        l.barStarts.push_back(static_cast<std::size_t>(std::floor(u * i)));
    }
    double x = 0;
    for (double factor : kBottomWidths) {
        l.bottomStarts.push_back(static_cast<std::size_t>(std::floor(x)));
        x += u * factor;
    }
    l.middleFirstRow = static_cast<std::size_t>(std::ceil(bottom));
    l.topFirstRow = static_cast<std::size_t>(std::ceil(t0));
    l.cardLeft = 0.22 * w;
    l.cardRight = l.cardLeft + 0.56 * w;
    l.cardBottom = t0 + 0.3 * t;
    l.cardTop = l.cardBottom + 0.2 * h;
    l.radius = 0.012 * h;
    const double centre = l.cardBottom + 0.1 * h;
    l.title = centre + 0.012 * h;
    l.subtitle = centre - 0.05 * h;
    return l;
}

std::size_t bandAt(const std::vector<std::size_t>& starts, std::size_t x) {
    std::size_t band = 0;
    while (band + 1 < starts.size() && starts[band + 1] <= x) {
        ++band;
    }
    return band;
}

bool near(BGRA p, const Colour& c) {
    return test::near(p, c.r, c.g, c.b, 1);
}

class PlaceholderGeometryTest : public ::testing::TestWithParam<std::pair<int, int>> {};

TEST_P(PlaceholderGeometryTest, BandsCardAndTextLieWhereTheLayoutPutsThem) {
    const auto [width, height] = GetParam();
    CVPixelBufferRef buffer = makePlaceholderPixelBuffer(width, height);
    ASSERT_NE(buffer, nullptr);
    ASSERT_EQ(buffer->width(), static_cast<std::size_t>(width));
    ASSERT_EQ(buffer->height(), static_cast<std::size_t>(height));
    EXPECT_EQ(buffer->pixelFormatType(), kCVPixelFormatType_32BGRA);
    EXPECT_GE(buffer->bytesPerRow(), static_cast<std::size_t>(width) * 4);
    CVPixelBufferAttributes attributes;
    attributes.ioSurfaceProperties = CVPixelBufferAttributes::IOSurfaceProperties{};
    attributes.cgBitmapContextCompatibility = true;
    EXPECT_EQ(buffer->attributes(), attributes);

    PixelReader px(buffer);
    const Layout l = layoutFor(width, height);
    const auto h = static_cast<std::size_t>(height);
    const auto w = static_cast<std::size_t>(width);

    // Every column of each band, in rows clear of the card: the band's first and last rows and
    // one in between.
    const auto cardRows = std::make_pair(static_cast<std::size_t>(l.cardBottom) - 1,
                                         static_cast<std::size_t>(l.cardTop) + 1);
    for (std::size_t y :
         {l.topFirstRow, (l.topFirstRow + cardRows.first) / 2, cardRows.second + 1, h - 1}) {
        for (std::size_t x = 0; x < w; ++x) {
            ASSERT_TRUE(near(px.at(x, y), kTop[bandAt(l.barStarts, x)])) << x << "," << y;
        }
    }
    for (std::size_t y :
         {l.middleFirstRow, (l.middleFirstRow + l.topFirstRow) / 2, l.topFirstRow - 1}) {
        for (std::size_t x = 0; x < w; ++x) {
            ASSERT_TRUE(near(px.at(x, y), kMiddle[bandAt(l.barStarts, x)])) << x << "," << y;
        }
    }
    for (std::size_t y : {std::size_t{0}, l.middleFirstRow / 2, l.middleFirstRow - 1}) {
        for (std::size_t x = 0; x < w; ++x) {
            ASSERT_TRUE(near(px.at(x, y), kBottom[bandAt(l.bottomStarts, x)])) << x << "," << y;
        }
    }
    for (std::size_t y = 0; y < h; ++y) {
        for (std::size_t x = 0; x < w; ++x) {
            ASSERT_EQ(px.at(x, y).a, 255) << x << "," << y;
        }
    }

    // Card edges, away from the text: a partly covered edge pixel is neither colour.
    auto bar = [&](std::size_t x) { return kTop[bandAt(l.barStarts, x)]; };
    const auto left = static_cast<std::size_t>(l.cardLeft);
    const auto right = static_cast<std::size_t>(l.cardRight);
    const auto lowest = static_cast<std::size_t>(l.cardBottom);
    const auto highest = static_cast<std::size_t>(l.cardTop);
    const std::size_t midY = lowest + static_cast<std::size_t>(l.radius) + 4;
    EXPECT_TRUE(near(px.at(left - 1, midY), bar(left - 1)));
    EXPECT_FALSE(near(px.at(left, midY), bar(left)));
    EXPECT_FALSE(near(px.at(left, midY), kCard));
    EXPECT_TRUE(near(px.at(left + 1, midY), kCard));
    EXPECT_TRUE(near(px.at(right - 1, midY), kCard));
    EXPECT_FALSE(near(px.at(right, midY), kCard));
    EXPECT_TRUE(near(px.at(right + 1, midY), bar(right + 1)));
    const std::size_t midX = left + static_cast<std::size_t>(l.radius) + 4;
    EXPECT_TRUE(near(px.at(midX, lowest - 1), bar(midX)));
    EXPECT_FALSE(near(px.at(midX, lowest), kCard));
    EXPECT_TRUE(near(px.at(midX, lowest + 1), kCard));
    EXPECT_TRUE(near(px.at(midX, highest - 1), kCard));
    EXPECT_FALSE(near(px.at(midX, highest), kCard));
    EXPECT_TRUE(near(px.at(midX, highest + 1), bar(midX)));

    // Rounded corners: the pixel just inside each corner of the rectangle stays bar-coloured,
    // the one a third of the radius in along the diagonal is card.
    const auto in = static_cast<std::size_t>(l.radius / 3);
    for (auto [cx, cy, dx, dy] : {std::array<long, 4>{long(left + 1), long(lowest + 1), 1, 1},
                                  {long(right - 1), long(lowest + 1), -1, 1},
                                  {long(left + 1), long(highest - 1), 1, -1},
                                  {long(right - 1), long(highest - 1), -1, -1}}) {
        const auto x = static_cast<std::size_t>(cx);
        const auto y = static_cast<std::size_t>(cy);
        EXPECT_TRUE(near(px.at(x, y), bar(x))) << "corner " << x << "," << y;
        const auto ix = static_cast<std::size_t>(cx + dx * long(in + 2));
        const auto iy = static_cast<std::size_t>(cy + dy * long(in + 2));
        EXPECT_TRUE(near(px.at(ix, iy), kCard)) << "inside corner " << ix << "," << iy;
    }

    // Text: bright ink on the card, one line above the split between the baselines and one
    // below. Each is centred on w/2, and sits on its baseline (the most common lowest ink row
    // over the columns, so that tails such as Q's and p's do not count).
    const double split = (l.title + l.subtitle) / 2;
    struct Ink {
        std::size_t minX = SIZE_MAX, maxX = 0;
        std::vector<std::size_t> bottoms;
    };
    // Columns clear of the rounded corners.
    const std::size_t innerLeft = left + static_cast<std::size_t>(l.radius) + 1;
    const std::size_t innerRight = right - static_cast<std::size_t>(l.radius) - 1;
    auto inkOf = [&](double from, double to, int threshold) {
        Ink ink;
        for (std::size_t x = innerLeft; x < innerRight; ++x) {
            std::size_t bottom = SIZE_MAX;
            for (auto y = static_cast<std::size_t>(from); y < static_cast<std::size_t>(to); ++y) {
                if (px.at(x, y).r >= threshold) {
                    bottom = std::min(bottom, y);
                }
            }
            if (bottom != SIZE_MAX) {
                ink.minX = std::min(ink.minX, x);
                ink.maxX = std::max(ink.maxX, x);
                ink.bottoms.push_back(bottom);
            }
        }
        return ink;
    };
    auto baselineOf = [](std::vector<std::size_t> bottoms) {
        std::sort(bottoms.begin(), bottoms.end());
        std::size_t best = 0, bestCount = 0;
        for (std::size_t i = 0; i < bottoms.size();) {
            std::size_t j = i;
            while (j < bottoms.size() && bottoms[j] == bottoms[i]) {
                ++j;
            }
            if (j - i > bestCount) {
                best = bottoms[i];
                bestCount = j - i;
            }
            i = j;
        }
        return static_cast<double>(best);
    };
    const Ink title = inkOf(split, l.cardTop - 1, 128);
    const Ink subtitle = inkOf(lowest + 2, split, 100);
    ASSERT_FALSE(title.bottoms.empty());
    ASSERT_FALSE(subtitle.bottoms.empty());
    EXPECT_NEAR((title.minX + title.maxX + 1) / 2.0, width / 2.0, 3.0);
    EXPECT_NEAR((subtitle.minX + subtitle.maxX + 1) / 2.0, width / 2.0, 3.0);
    EXPECT_GT(title.maxX - title.minX, subtitle.maxX - subtitle.minX) << "the title is larger";
    EXPECT_NEAR(baselineOf(title.bottoms), l.title, 1.5);
    EXPECT_NEAR(baselineOf(subtitle.bottoms), l.subtitle, 1.5);
    // Title ink is the 0.95 grey, subtitle ink the 0.65 grey: the brightest pixel of each.
    auto brightest = [&](double from, double to) {
        int best = 0;
        for (std::size_t x = innerLeft; x < innerRight; ++x) {
            for (auto y = static_cast<std::size_t>(from); y < static_cast<std::size_t>(to); ++y) {
                best = std::max(best, int{px.at(x, y).r});
            }
        }
        return best;
    };
    EXPECT_NEAR(brightest(split, l.cardTop - 1), 0.95 * 255, 1.5);
    EXPECT_NEAR(brightest(lowest + 2, split), 0.65 * 255, 1.5);
}

INSTANTIATE_TEST_SUITE_P(Sizes, PlaceholderGeometryTest,
                         ::testing::Values(std::make_pair(1920, 1080), std::make_pair(1280, 720)),
                         [](const auto& size) {
                             return std::to_string(size.param.first) + "x" +
                                    std::to_string(size.param.second);
                         });

TEST(PlaceholderRendererTest, SnappedBandsAt1920x1080AreTheDocumentedOnes) {
    const Layout l = layoutFor(1920, 1080);
    EXPECT_EQ(l.barStarts, (std::vector<std::size_t>{0, 274, 548, 822, 1097, 1371, 1645}));
    EXPECT_EQ(l.bottomStarts,
              (std::vector<std::size_t>{0, 342, 685, 1028, 1371, 1462, 1554, 1645}));
    EXPECT_EQ(l.middleFirstRow, 270U);
    EXPECT_EQ(l.topFirstRow, 357U);
    EXPECT_NEAR(l.title, 694.44, 1e-9);
    EXPECT_NEAR(l.subtitle, 627.48, 1e-9);

    // The bottom band is a hair under a quarter of the height, so its last row is 269.
    CVPixelBufferRef buffer = makePlaceholderPixelBuffer(1920, 1080);
    PixelReader px(buffer);
    EXPECT_TRUE(near(px.at(10, 269), kBottom[0]));
    EXPECT_TRUE(near(px.at(10, 270), kMiddle[0]));
    EXPECT_TRUE(near(px.at(10, 356), kMiddle[0]));
    EXPECT_TRUE(near(px.at(10, 357), kTop[0]));
    // Shared boundary columns belong to the bar on the right.
    EXPECT_TRUE(near(px.at(273, 1000), kTop[0]));
    EXPECT_TRUE(near(px.at(274, 1000), kTop[1]));
    EXPECT_TRUE(near(px.at(1096, 1000), kTop[3]));
    EXPECT_TRUE(near(px.at(1097, 1000), kTop[4]));
    EXPECT_TRUE(near(px.at(1919, 100), kBottom[7]));
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
