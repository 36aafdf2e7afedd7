// SPDX-License-Identifier: MIT
// Placeholder picture renderer.
#include "stream/PlaceholderRenderer.h"

#include <array>

#include "platform/draw/CGGeometry.h"
#include "platform/draw/CTFont.h"
#include "platform/draw/CTLine.h"

namespace kavorn {

namespace {

struct RGB {
    double red;
    double green;
    double blue;
};

struct Segment {
    RGB color;
    double widthInBars;
};

// The SMPTE colour-bar layout: 75 % bars, reverse-blue castellations, and the bottom row of
// -I, white, +Q and the black-level steps.
constexpr std::array<RGB, 7> topBarColors{{
    {0.75, 0.75, 0.75},  // grey
    {0.75, 0.75, 0},     // yellow
    {0, 0.75, 0.75},     // cyan
    {0, 0.75, 0},        // green
    {0.75, 0, 0.75},     // magenta
    {0.75, 0, 0},        // red
    {0, 0, 0.75},        // blue
}};

constexpr std::array<RGB, 7> middleBarColors{{
    {0, 0, 0.75},           // blue
    {0.075, 0.075, 0.075},  // black
    {0.75, 0, 0.75},        // magenta
    {0.075, 0.075, 0.075},  // black
    {0, 0.75, 0.75},        // cyan
    {0.075, 0.075, 0.075},  // black
    {0.75, 0.75, 0.75},     // grey
}};

constexpr std::array<Segment, 8> bottomRowSegments{{
    {{0, 0.129, 0.298}, 1.25},           // -I
    {{1.0, 1.0, 1.0}, 1.25},             // white
    {{0.196, 0, 0.416}, 1.25},           // +Q
    {{0.075, 0.075, 0.075}, 1.25},       // black
    {{0.035, 0.035, 0.035}, 1.0 / 3.0},  // below black
    {{0.075, 0.075, 0.075}, 1.0 / 3.0},  // black
    {{0.114, 0.114, 0.114}, 1.0 / 3.0},  // above black
    {{0.075, 0.075, 0.075}, 1.0},        // black
}};

constexpr RGB kCardColor{0.04, 0.04, 0.05};
constexpr const char* kTitle = "Quorvelle Camera is off";
constexpr const char* kSubtitle = "Open Quorvelle to turn it on";

void fillSnapped(CGContext& context, CGRect rect, const RGB& color) {
    context.setRGBFillColor(color.red, color.green, color.blue, 1.0);
    context.fillRect(CGRectIntegral(rect));
}

// The interface font of the given kind, or "Helvetica" of the same size when it cannot be had.
CTFontRef fontOrHelvetica(CTFontUIFontType type, double size) {
    if (CTFontRef font = CTFontCreateUIFontForLanguage(type, size, nullptr)) {
        return font;
    }
    return CTFontCreateWithName("Helvetica", size);
}

// Draws one line centred on the frame by its typographic width, baseline at `baselineY`.
void drawCentredLine(CGContext& context, const char* text, CTFontRef font, double gray,
                     double width, double baselineY) {
    CTLineRef line = CTLineCreateWithAttributedString(
        NSAttributedString{text, std::move(font), CGColorCreateGenericGray(gray, 1.0)});
    const double lineWidth = CTLineGetTypographicBounds(line);
    context.setTextPosition(0.5 * width - 0.5 * lineWidth, baselineY);
    CTLineDraw(line, context);
}

}  // namespace

CVPixelBufferRef makePlaceholderPixelBuffer(std::int64_t width, std::int64_t height) {
    CVPixelBufferAttributes attributes;
    attributes.ioSurfaceProperties = CVPixelBufferAttributes::IOSurfaceProperties{};
    attributes.cgBitmapContextCompatibility = true;
    auto created = CVPixelBufferCreate(width, height, kCVPixelFormatType_32BGRA, attributes);
    if (!created.succeeded()) {
        return nullptr;
    }
    CVPixelBufferRef buffer = std::move(created.object);

    CVPixelBufferLockBaseAddress(buffer, 0);
    void* base = CVPixelBufferGetBaseAddress(buffer);
    if (base == nullptr) {
        CVPixelBufferUnlockBaseAddress(buffer, 0);
        return buffer;
    }
    auto context =
        CGBitmapContextCreate(base, buffer->width(), buffer->height(), 8,
                              CVPixelBufferGetBytesPerRow(buffer), CGColorSpaceCreateDeviceRGB(),
                              kCGImageAlphaPremultipliedFirst | kCGBitmapByteOrder32Little);
    if (!context) {
        CVPixelBufferUnlockBaseAddress(buffer, 0);
        return buffer;
    }
    drawPlaceholder(*context, static_cast<double>(width), static_cast<double>(height));
    context.reset();
    CVPixelBufferUnlockBaseAddress(buffer, 0);
    return buffer;
}

void drawPlaceholder(CGContext& context, double width, double height) {
    const double w = width;
    const double h = height;
    const double barWidth = w / 7;
    // Evaluated left to right on purpose: the bottom band is a hair under a quarter of h.
    const double bottomHeight = h * (1 - 0.67 - 0.08);
    const double middleHeight = h * 0.08;
    const double topBottom = bottomHeight + middleHeight;
    const double topHeight = (h - bottomHeight) - middleHeight;

    for (std::size_t i = 0; i < topBarColors.size(); ++i) {
        const double x = barWidth * static_cast<double>(i);
        fillSnapped(context, CGRectMake(x, topBottom, barWidth, topHeight), topBarColors[i]);
    }
    for (std::size_t i = 0; i < middleBarColors.size(); ++i) {
        const double x = barWidth * static_cast<double>(i);
        fillSnapped(context, CGRectMake(x, bottomHeight, barWidth, middleHeight),
                    middleBarColors[i]);
    }
    double x = 0;
    for (const Segment& segment : bottomRowSegments) {
        const double segmentWidth = barWidth * segment.widthInBars;
        fillSnapped(context, CGRectMake(x, 0, segmentWidth, bottomHeight), segment.color);
        x += segmentWidth;
    }

    const double cornerRadius = 0.012 * h;
    const CGRect card = CGRectMake(0.22 * w, topBottom + 0.3 * topHeight, 0.56 * w, 0.2 * h);
    context.setRGBFillColor(kCardColor.red, kCardColor.green, kCardColor.blue, 1.0);
    context.addPath(CGPathCreateWithRoundedRect(card, cornerRadius, cornerRadius));
    context.fillPath();
    const double cardMidY = CGRectGetMidY(card);

    // The title's baseline sits a corner radius above the card's centre; the subtitle's sits
    // below it by the title's font size.
    drawCentredLine(context, kTitle, fontOrHelvetica(CTFontUIFontType::EmphasizedSystem, 0.05 * h),
                    0.95, w, cardMidY + 0.012 * h);
    drawCentredLine(context, kSubtitle, fontOrHelvetica(CTFontUIFontType::System, 0.03 * h), 0.65,
                    w, cardMidY - 0.05 * h);
}

}  // namespace kavorn
