// Text with pango, in Nimbus Sans (URW's Helvetica, the metrics of the phone's system face), with
// DejaVu Sans only for the glyphs Nimbus lacks. The fonts come from a font configuration of our
// own that holds just these files, with fixed antialiasing and no hinting, so that the same text
// gives the same pixels whatever fonts or settings the machine has.
#include <fontconfig/fontconfig.h>
#include <pango/pangocairo.h>
#include <pango/pangofc-fontmap.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "coregraphics/CairoBackend.h"
#include "coregraphics/TextShortening.h"

namespace {

constexpr const char* kFontFiles[] = {
    "/usr/share/fonts/opentype/urw-base35/NimbusSans-Regular.otf",
    "/usr/share/fonts/opentype/urw-base35/NimbusSans-Bold.otf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf",
};
// The face first, the fallback after it: pango takes each glyph from the first that has it.
constexpr const char* kFamilies = "Nimbus Sans,DejaVu Sans";

// One font map and one context for the life of the process (text is drawn on the main thread).
PangoContext* textContext() {
  static PangoContext* context = [] {
    FcConfig* config = FcConfigCreate();
    for (const char* file : kFontFiles)
      if (!FcConfigAppFontAddFile(config, reinterpret_cast<const FcChar8*>(file)))
        std::fprintf(stderr, "drawing: font %s missing; text falls back or does not show\n", file);
    PangoFontMap* map = pango_cairo_font_map_new_for_font_type(CAIRO_FONT_TYPE_FT);
    pango_fc_font_map_set_config(PANGO_FC_FONT_MAP(map), config);
    FcConfigDestroy(config);
    PangoContext* c = pango_font_map_create_context(map);
    g_object_unref(map);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    pango_cairo_context_set_font_options(c, options);
    cairo_font_options_destroy(options);
    // Sizes are in user units (points), whatever the resolution.
    pango_cairo_context_set_resolution(c, 72.0);
    // Glyphs at their exact positions, so text takes the same width at every scale.
    pango_context_set_round_glyph_positions(c, FALSE);
    return c;
  }();
  return context;
}

// A length in points as pango's integer units. Lengths beyond any screen (a layout may give a
// label a width of 1e300) are held to one that still fits an int.
int pangoUnits(CGFloat points) {
  constexpr double kLongest = 1e5;
  return int(std::clamp(std::isnan(points) ? 0.0 : points, -kLongest, kLongest) * PANGO_SCALE);
}

// A layout of the text, or of as much of it as the space can show (`shortened` says whether it
// was cut); the caller unrefs it.
PangoLayout* makeLayout(const std::string& text, const CGFontSpec& font, CGFloat width,
                        CGLineBreak lineBreak, int maxLines, CGFloat height, bool* shortened = nullptr) {
  PangoLayout* layout = pango_layout_new(textContext());
  PangoFontDescription* desc = pango_font_description_new();
  pango_font_description_set_family(desc, kFamilies);
  pango_font_description_set_weight(desc, font.bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
  // Sizes beyond any screen make cairo fail (and leak) in its font cache; text that large cannot show.
  pango_font_description_set_absolute_size(desc, std::isnan(font.size) ? 0.0 : std::clamp(font.size, 0.0, 1000.0) * PANGO_SCALE);
  pango_layout_set_font_description(layout, desc);
  pango_font_description_free(desc);
  std::string cut;
  const bool isCut = shortenForDisplay(text, mostCharactersShown(font, width, maxLines, height), lineBreak, cut);
  if (shortened != nullptr) *shortened = isCut;
  const std::string& shown = isCut ? cut : text;
  pango_layout_set_text(layout, shown.c_str(), int(shown.size()));
  if (width > 0) pango_layout_set_width(layout, pangoUnits(width));
  pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
  PangoEllipsizeMode ellipsize = PANGO_ELLIPSIZE_NONE;
  switch (lineBreak) {
    case CGLineBreak::TruncateHead: ellipsize = PANGO_ELLIPSIZE_START; break;
    case CGLineBreak::TruncateMiddle: ellipsize = PANGO_ELLIPSIZE_MIDDLE; break;
    case CGLineBreak::TruncateTail: ellipsize = PANGO_ELLIPSIZE_END; break;
    case CGLineBreak::WordWrap:
    case CGLineBreak::Clip: break;
  }
  if (width > 0) pango_layout_set_ellipsize(layout, ellipsize);
  if (maxLines > 0) pango_layout_set_height(layout, -maxLines);
  else if (height > 0 && ellipsize != PANGO_ELLIPSIZE_NONE) pango_layout_set_height(layout, pangoUnits(height));
  return layout;
}

std::function<void(const CGTextRecord&)>& textRecorder() {
  static std::function<void(const CGTextRecord&)> recorder;
  return recorder;
}

}  // namespace

void CGSetTextRecorder(std::function<void(const CGTextRecord&)> recorder) { textRecorder() = std::move(recorder); }

CGSize CGTextMeasure(const std::string& text, const CGFontSpec& font, CGFloat maxWidth,
                     CGLineBreak lineBreak, int maxLines) {
  pango_context_set_matrix(textContext(), nullptr);
  PangoLayout* layout = makeLayout(text, font, maxWidth, lineBreak, maxLines, 0);
  PangoRectangle logical;
  pango_layout_get_extents(layout, nullptr, &logical);
  g_object_unref(layout);
  return CGSizeMake(std::ceil(double(logical.width) / PANGO_SCALE),
                    std::ceil(double(logical.height) / PANGO_SCALE));
}

void CGContext::drawText(const std::string& text, CGRect rect, const CGFontSpec& font,
                         CGTextAlignment alignment, CGLineBreak lineBreak, int maxLines) {
  if (text.empty()) return;
  cairo_t* cr = backend_->cr;
  bool shortened = false;
  PangoLayout* layout = makeLayout(text, font, rect.size.width, lineBreak, maxLines, rect.size.height, &shortened);
  pango_layout_set_alignment(layout, alignment == CGTextAlignment::Center  ? PANGO_ALIGN_CENTER
                                     : alignment == CGTextAlignment::Right ? PANGO_ALIGN_RIGHT
                                                                           : PANGO_ALIGN_LEFT);
  cairo_save(cr);
  pango_cairo_update_context(cr, textContext());
  pango_layout_context_changed(layout);
  if (lineBreak == CGLineBreak::Clip) {
    cairo_new_path(cr);
    cairo_rectangle(cr, rect.origin.x, rect.origin.y, rect.size.width, rect.size.height);
    cairo_clip(cr);
  }
  if (textRecorder()) record(text, rect, font, layout, lineBreak, shortened);
  cairo_move_to(cr, rect.origin.x, rect.origin.y);
  backend_->useFill();
  pango_cairo_show_layout(cr, layout);
  cairo_restore(cr);
  g_object_unref(layout);
}

void CGContext::record(const std::string& text, CGRect rect, const CGFontSpec& font, void* pangoLayout,
                       CGLineBreak lineBreak, bool shortened) {
  auto* layout = static_cast<PangoLayout*>(pangoLayout);
  double cx0, cy0, cx1, cy1;
  cairo_clip_extents(backend_->cr, &cx0, &cy0, &cx1, &cy1);
  PangoRectangle ink, logical;
  pango_layout_get_pixel_extents(layout, &ink, &logical);
  // What the text covers, within its rectangle and the clip.
  const double x0 = std::max({rect.origin.x, rect.origin.x + ink.x, cx0});
  const double y0 = std::max({rect.origin.y, rect.origin.y + ink.y, cy0});
  const double x1 = std::min({rect.origin.x + rect.size.width, rect.origin.x + ink.x + ink.width, cx1});
  const double y1 = std::min({rect.origin.y + rect.size.height, rect.origin.y + ink.y + ink.height, cy1});
  if (x1 <= x0 || y1 <= y0) return;
  const CGRect covered = CGRectMake(x0, y0, x1 - x0, y1 - y0);
  double dx0 = x0, dy0 = y0, dx1 = x1, dy1 = y1;
  cairo_user_to_device(backend_->cr, &dx0, &dy0);
  cairo_user_to_device(backend_->cr, &dx1, &dy1);
  CGTextRecord r;
  r.text = text;
  r.deviceRect = CGRectMake(std::min(dx0, dx1), std::min(dy0, dy1), std::fabs(dx1 - dx0), std::fabs(dy1 - dy0));
  r.font = font;
  r.colour = backend_->fill;
  r.behind = averageColorBehind(covered);
  const bool clipsWidth = lineBreak == CGLineBreak::Clip && rect.size.width > 0 &&
                          double(logical.x + logical.width) > rect.size.width + 0.5;
  r.truncated = shortened || pango_layout_is_ellipsized(layout) || clipsWidth;
  textRecorder()(r);
}
