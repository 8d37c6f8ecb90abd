// What a CGContext holds underneath: the cairo context drawn with, the surface of the bitmap it
// ends in (which a blur reads back), and the colours set. Private to the drawing files.
#pragma once

#include <cairo.h>

#include "coregraphics/CGContext.h"

struct CGContext::Backend {
  cairo_t* cr = nullptr;
  cairo_surface_t* surface = nullptr;  // the bitmap's own surface, whatever group is drawn into
  CGColor fill{0, 0, 0, 1};
  CGColor stroke{0, 0, 0, 1};

  ~Backend() {
    if (cr) cairo_destroy(cr);
  }
  void useFill() const { cairo_set_source_rgba(cr, fill.red, fill.green, fill.blue, fill.alpha); }
  void useStroke() const {
    cairo_set_source_rgba(cr, stroke.red, stroke.green, stroke.blue, stroke.alpha);
  }
};

// A cairo surface holding the image's pixels (premultiplied); the caller destroys it. Null when
// cairo cannot hold the image (a side beyond its limit, memory exhausted).
cairo_surface_t* CGImageCreateCairoSurface(const CGImage& image);
