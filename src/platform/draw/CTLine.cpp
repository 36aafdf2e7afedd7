// SPDX-License-Identifier: MIT
// Text lines on Pango.
#include "platform/draw/CTLine.h"

#include <cairo.h>
#include <pango/pangocairo.h>

namespace kavorn {

CTLine::CTLine(PangoContext* context, PangoLayout* layout, CGColor color)
    : context_(context), layout_(layout), color_(color) {}

CTLine::~CTLine() {
    g_object_unref(layout_);
    g_object_unref(context_);
}

CTLineRef CTLineCreateWithAttributedString(const NSAttributedString& string) {
    if (!string.font) {
        return nullptr;
    }
    // The default font map belongs to the calling thread.
    PangoFontMap* fontMap = pango_cairo_font_map_get_default();
    PangoContext* context = pango_font_map_create_context(fontMap);

    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    pango_cairo_context_set_font_options(context, options);
    cairo_font_options_destroy(options);
    pango_context_set_round_glyph_positions(context, FALSE);

    PangoLayout* layout = pango_layout_new(context);
    PangoFontDescription* description = pango_font_description_new();
    pango_font_description_set_family(description, string.font->familyName().c_str());
    pango_font_description_set_weight(description, string.font->weight() == CTFontWeight::Bold
                                                       ? PANGO_WEIGHT_BOLD
                                                       : PANGO_WEIGHT_NORMAL);
    pango_font_description_set_absolute_size(description, string.font->pointSize() * PANGO_SCALE);
    pango_layout_set_font_description(layout, description);
    pango_font_description_free(description);
    pango_layout_set_single_paragraph_mode(layout, TRUE);
    pango_layout_set_text(layout, string.string.c_str(), static_cast<int>(string.string.size()));

    return std::make_shared<const CTLine>(context, layout, string.foregroundColor);
}

double CTLineGetTypographicBounds(const CTLineRef& line, double* ascent, double* descent,
                                  double* leading) {
    if (!line) {
        return 0;
    }
    PangoLayoutLine* layoutLine = pango_layout_get_line_readonly(line->layout(), 0);
    PangoRectangle logical{};
    pango_layout_line_get_extents(layoutLine, nullptr, &logical);
    if (ascent != nullptr) {
        *ascent = pango_units_to_double(-logical.y);
    }
    if (descent != nullptr) {
        *descent = pango_units_to_double(logical.height + logical.y);
    }
    if (leading != nullptr) {
        *leading = 0;
    }
    return pango_units_to_double(logical.width);
}

void CTLineDraw(const CTLineRef& line, CGContext& context) {
    if (!line) {
        return;
    }
    cairo_t* cairo = context.cairo();
    const CGPoint origin = context.textPosition();
    const CGColor& color = line->color();
    cairo_save(cairo);
    // Text is laid out downward; undo the surface's flip around the baseline origin.
    cairo_translate(cairo, origin.x, origin.y);
    cairo_scale(cairo, 1, -1);
    cairo_new_path(cairo);
    cairo_move_to(cairo, 0, 0);
    cairo_set_source_rgba(cairo, color.red, color.green, color.blue, color.alpha);
    pango_cairo_show_layout_line(cairo, pango_layout_get_line_readonly(line->layout(), 0));
    cairo_restore(cairo);
}

}  // namespace kavorn
