// SPDX-License-Identifier: MIT
// Single lines of text: laid out once, measured, and drawn at the surface's text position.
#pragma once

#include <memory>
#include <string>

#include "platform/draw/CGContext.h"
#include "platform/draw/CGGeometry.h"
#include "platform/draw/CTFont.h"

struct _PangoContext;
struct _PangoLayout;

namespace kavorn {

// A text with one font and one foreground colour over its whole length.
struct NSAttributedString {
    std::string string;
    CTFontRef font;
    CGColor foregroundColor;
};

// One laid-out line: no wrapping, no truncation, default kerning, unhinted metrics and
// unrounded glyph positions, so its width is the font's exact typographic width.
// Used by one thread at a time (the layout belongs to the thread's font map).
class CTLine {
public:
    CTLine(_PangoContext* context, _PangoLayout* layout, CGColor color);
    ~CTLine();
    CTLine(const CTLine&) = delete;
    CTLine& operator=(const CTLine&) = delete;

    _PangoLayout* layout() const { return layout_; }
    const CGColor& color() const { return color_; }

private:
    _PangoContext* context_;
    _PangoLayout* layout_;
    CGColor color_;
};

using CTLineRef = std::shared_ptr<const CTLine>;

// None without a font.
CTLineRef CTLineCreateWithAttributedString(const NSAttributedString& string);
// The typographic width; ascent, descent and leading are filled in when asked for.
double CTLineGetTypographicBounds(const CTLineRef& line, double* ascent = nullptr,
                                  double* descent = nullptr, double* leading = nullptr);
// Draws the line with its baseline origin at the context's text position.
void CTLineDraw(const CTLineRef& line, CGContext& context);

}  // namespace kavorn
