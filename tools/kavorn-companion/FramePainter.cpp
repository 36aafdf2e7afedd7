// SPDX-License-Identifier: MIT
// Feed patterns.
#include "FramePainter.h"

#include <array>
#include <charconv>
#include <cstring>
#include <string>

#include <time.h>

#include "platform/draw/CGContext.h"
#include "platform/draw/CTFont.h"
#include "platform/draw/CTLine.h"

namespace kavorn::companion {

namespace {

constexpr std::uint32_t kWidth = 1920;
constexpr std::uint32_t kHeight = 1080;

void fillRow(std::uint8_t* row, std::uint32_t from, std::uint32_t to, std::uint32_t rgb) {
    for (std::uint32_t x = from; x < to; ++x) {
        row[x * 4 + 0] = static_cast<std::uint8_t>(rgb);
        row[x * 4 + 1] = static_cast<std::uint8_t>(rgb >> 8);
        row[x * 4 + 2] = static_cast<std::uint8_t>(rgb >> 16);
        row[x * 4 + 3] = 0xFF;
    }
}

}  // namespace

std::optional<FramePainter> FramePainter::parse(std::string_view pattern) {
    if (pattern == "bars") {
        return FramePainter(Kind::Bars, 0);
    }
    if (pattern == "gradient") {
        return FramePainter(Kind::Gradient, 0);
    }
    if (pattern == "counter") {
        return FramePainter(Kind::Counter, 0);
    }
    if (pattern == "stamp") {
        return FramePainter(Kind::Stamp, 0x808080);
    }
    if (pattern.starts_with("solid:") && pattern.size() == 12) {
        std::uint32_t rgb = 0;
        const char* begin = pattern.data() + 6;
        auto [end, error] = std::from_chars(begin, pattern.data() + pattern.size(), rgb, 16);
        if (error == std::errc{} && end == pattern.data() + pattern.size()) {
            return FramePainter(Kind::Solid, rgb);
        }
    }
    return std::nullopt;
}

void FramePainter::paint(std::uint8_t* data, std::uint32_t stride, std::uint64_t index) const {
    switch (kind_) {
        case Kind::Solid:
            for (std::uint32_t y = 0; y < kHeight; ++y) {
                fillRow(data + y * stride, 0, kWidth, rgb_);
            }
            return;
        case Kind::Stamp: {
            for (std::uint32_t y = 0; y < kHeight; ++y) {
                fillRow(data + y * stride, 0, kWidth, rgb_);
            }
            timespec now{};
            clock_gettime(CLOCK_MONOTONIC, &now);
            const std::uint64_t stamp = static_cast<std::uint64_t>(now.tv_sec) * 1'000'000'000 +
                                        static_cast<std::uint64_t>(now.tv_nsec);
            std::memcpy(data, &stamp, sizeof stamp);
            return;
        }
        case Kind::Bars: {
            static constexpr std::array<std::uint32_t, 8> colours{
                0xFFFFFF, 0xFFFF00, 0x00FFFF, 0x00FF00, 0xFF00FF, 0xFF0000, 0x0000FF, 0x000000};
            const std::uint32_t shift = static_cast<std::uint32_t>(index * 8 % kWidth);
            for (std::uint32_t y = 0; y < kHeight; ++y) {
                std::uint8_t* row = data + y * stride;
                for (std::uint32_t x = 0; x < kWidth; ++x) {
                    fillRow(row, x, x + 1, colours[((x + shift) % kWidth) * 8 / kWidth]);
                }
            }
            return;
        }
        case Kind::Gradient:
            for (std::uint32_t y = 0; y < kHeight; ++y) {
                std::uint8_t* row = data + y * stride;
                for (std::uint32_t x = 0; x < kWidth; ++x) {
                    const std::uint32_t r = (x + index * 4) * 255 / kWidth % 256;
                    const std::uint32_t g = y * 255 / kHeight;
                    fillRow(row, x, x + 1, (r << 16) | (g << 8) | 0x80);
                }
            }
            return;
        case Kind::Counter: {
            for (std::uint32_t y = 0; y < kHeight; ++y) {
                fillRow(data + y * stride, 0, kWidth, 0x101820);
            }
            auto context = CGBitmapContextCreate(
                data, kWidth, kHeight, 8, stride, CGColorSpaceCreateDeviceRGB(),
                kCGImageAlphaPremultipliedFirst | kCGBitmapByteOrder32Little);
            if (!context) {
                return;
            }
            CTFontRef font = CTFontCreateUIFontForLanguage(CTFontUIFontType::EmphasizedSystem, 300);
            if (!font) {
                font = CTFontCreateWithName("Helvetica", 300);
            }
            CTLineRef line = CTLineCreateWithAttributedString(
                NSAttributedString{std::to_string(index), font, CGColorCreateGenericGray(0.95, 1)});
            const double width = CTLineGetTypographicBounds(line);
            context->setTextPosition((kWidth - width) / 2, kHeight / 2.0 - 100);
            CTLineDraw(line, *context);
            return;
        }
    }
}

}  // namespace kavorn::companion
