#include "coregraphics/CGContext.h"

#include <cmath>
#include <cstring>
#include <vector>

#include "coregraphics/CairoBackend.h"

namespace {

void roundedRectPath(cairo_t* cr, CGRect r, CGFloat radius) {
  radius = std::max<CGFloat>(0, std::min({radius, r.size.width / 2, r.size.height / 2}));
  const double x0 = r.origin.x, y0 = r.origin.y;
  const double x1 = x0 + r.size.width, y1 = y0 + r.size.height;
  cairo_new_sub_path(cr);
  cairo_arc(cr, x1 - radius, y0 + radius, radius, -M_PI / 2, 0);
  cairo_arc(cr, x1 - radius, y1 - radius, radius, 0, M_PI / 2);
  cairo_arc(cr, x0 + radius, y1 - radius, radius, M_PI / 2, M_PI);
  cairo_arc(cr, x0 + radius, y0 + radius, radius, M_PI, 3 * M_PI / 2);
  cairo_close_path(cr);
}

void ellipsePath(cairo_t* cr, CGRect r) {
  cairo_save(cr);
  cairo_translate(cr, r.origin.x + r.size.width / 2, r.origin.y + r.size.height / 2);
  cairo_scale(cr, std::max(r.size.width / 2, 1e-9), std::max(r.size.height / 2, 1e-9));
  cairo_new_sub_path(cr);
  cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
  cairo_restore(cr);
}

// One pass of a box blur of `radius` pixels along rows (or columns, with the strides swapped)
// over premultiplied 32-bit pixels; edges repeat their last pixel.
void boxBlur(const uint32_t* in, uint32_t* out, int lines, int length, int step, int lineStep,
             int radius) {
  const int window = 2 * radius + 1;
  for (int line = 0; line < lines; ++line) {
    const uint32_t* src = in + line * lineStep;
    uint32_t* dst = out + line * lineStep;
    uint32_t sum[4] = {0, 0, 0, 0};
    auto at = [&](int i) { return src[std::clamp(i, 0, length - 1) * step]; };
    for (int i = -radius; i <= radius; ++i) {
      const uint32_t p = at(i);
      for (int c = 0; c < 4; ++c) sum[c] += (p >> (8 * c)) & 0xff;
    }
    for (int i = 0; i < length; ++i) {
      uint32_t v = 0;
      for (int c = 0; c < 4; ++c) v |= ((sum[c] + window / 2) / window) << (8 * c);
      dst[i * step] = v;
      const uint32_t leaving = at(i - radius), entering = at(i + radius + 1);
      for (int c = 0; c < 4; ++c)
        sum[c] += ((entering >> (8 * c)) & 0xff) - ((leaving >> (8 * c)) & 0xff);
    }
  }
}

}  // namespace

cairo_surface_t* CGImageCreateCairoSurface(const CGImage& image) {
  // Cairo refuses sides beyond 32767 pixels (and memory can run out): its surface then holds no
  // pixels at all, and is never written through.
  constexpr uint32_t kCairoSideLimit = 32767;
  if (image.isEmpty() || image.width > kCairoSideLimit || image.height > kCairoSideLimit ||
      image.rgba.size() < size_t(image.width) * image.height * 4)
    return nullptr;
  cairo_surface_t* s =
      cairo_image_surface_create(CAIRO_FORMAT_ARGB32, int(image.width), int(image.height));
  cairo_surface_flush(s);
  unsigned char* data = cairo_image_surface_get_data(s);
  if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS || data == nullptr) {
    cairo_surface_destroy(s);
    return nullptr;
  }
  const int stride = cairo_image_surface_get_stride(s);
  for (uint32_t y = 0; y < image.height; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(data + y * stride);
    const uint8_t* px = image.rgba.data() + size_t(y) * image.width * 4;
    for (uint32_t x = 0; x < image.width; ++x, px += 4) {
      const uint32_t a = px[3];
      auto pre = [a](uint32_t c) { return (c * a + 127) / 255; };
      row[x] = (a << 24) | (pre(px[0]) << 16) | (pre(px[1]) << 8) | pre(px[2]);
    }
  }
  cairo_surface_mark_dirty(s);
  return s;
}

CGContext::CGContext(std::unique_ptr<Backend> backend, double scale)
    : backend_(std::move(backend)), scale_(scale) {}
CGContext::~CGContext() = default;

void CGContext::saveGState() { cairo_save(backend_->cr); }
void CGContext::restoreGState() { cairo_restore(backend_->cr); }
void CGContext::translateCTM(CGFloat tx, CGFloat ty) { cairo_translate(backend_->cr, tx, ty); }
void CGContext::scaleCTM(CGFloat sx, CGFloat sy) { cairo_scale(backend_->cr, sx, sy); }
void CGContext::rotateCTM(CGFloat radians) { cairo_rotate(backend_->cr, radians); }

void CGContext::clipToRect(CGRect r) {
  cairo_new_path(backend_->cr);
  cairo_rectangle(backend_->cr, r.origin.x, r.origin.y, r.size.width, r.size.height);
  cairo_clip(backend_->cr);
}

CGRect CGContext::clipBoundingBox() const {
  double x0, y0, x1, y1;
  cairo_clip_extents(backend_->cr, &x0, &y0, &x1, &y1);
  return CGRectMake(x0, y0, x1 - x0, y1 - y0);
}

void CGContext::setFillColor(const CGColor& color) { backend_->fill = color; }
void CGContext::setStrokeColor(const CGColor& color) { backend_->stroke = color; }
void CGContext::setLineWidth(CGFloat width) { cairo_set_line_width(backend_->cr, width); }

void CGContext::fillRect(CGRect r) {
  cairo_new_path(backend_->cr);
  cairo_rectangle(backend_->cr, r.origin.x, r.origin.y, r.size.width, r.size.height);
  fillPath();
}

void CGContext::clearRect(CGRect r) {
  cairo_t* cr = backend_->cr;
  cairo_save(cr);
  cairo_new_path(cr);
  cairo_rectangle(cr, r.origin.x, r.origin.y, r.size.width, r.size.height);
  cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
  cairo_fill(cr);
  cairo_restore(cr);
}

void CGContext::strokeRect(CGRect r) {
  cairo_new_path(backend_->cr);
  cairo_rectangle(backend_->cr, r.origin.x, r.origin.y, r.size.width, r.size.height);
  strokePath();
}

void CGContext::fillRoundedRect(CGRect r, CGFloat radius) {
  cairo_new_path(backend_->cr);
  roundedRectPath(backend_->cr, r, radius);
  fillPath();
}

void CGContext::strokeRoundedRect(CGRect r, CGFloat radius) {
  cairo_new_path(backend_->cr);
  roundedRectPath(backend_->cr, r, radius);
  strokePath();
}

void CGContext::fillEllipseInRect(CGRect r) {
  cairo_new_path(backend_->cr);
  ellipsePath(backend_->cr, r);
  fillPath();
}

void CGContext::strokeEllipseInRect(CGRect r) {
  cairo_new_path(backend_->cr);
  ellipsePath(backend_->cr, r);
  strokePath();
}

void CGContext::strokeLine(CGPoint from, CGPoint to) {
  cairo_new_path(backend_->cr);
  cairo_move_to(backend_->cr, from.x, from.y);
  cairo_line_to(backend_->cr, to.x, to.y);
  strokePath();
}

void CGContext::beginPath() { cairo_new_path(backend_->cr); }
void CGContext::moveToPoint(CGFloat x, CGFloat y) { cairo_move_to(backend_->cr, x, y); }
void CGContext::addLineToPoint(CGFloat x, CGFloat y) { cairo_line_to(backend_->cr, x, y); }
void CGContext::addArc(CGFloat cx, CGFloat cy, CGFloat radius, CGFloat start, CGFloat end) {
  cairo_arc(backend_->cr, cx, cy, radius, start, end);
}
void CGContext::closePath() { cairo_close_path(backend_->cr); }

void CGContext::fillPath() {
  backend_->useFill();
  cairo_fill(backend_->cr);
}

void CGContext::strokePath() {
  backend_->useStroke();
  cairo_stroke(backend_->cr);
}

namespace {

// The bitmap's pixels a rectangle in user space covers, within the bitmap.
struct PixelBox {
  int left, top, right, bottom;
  int width() const { return right - left; }
  int height() const { return bottom - top; }
};

PixelBox pixelBox(const CGContext::Backend& backend, CGRect rect) {
  double x0 = rect.origin.x, y0 = rect.origin.y;
  double x1 = x0 + rect.size.width, y1 = y0 + rect.size.height;
  cairo_user_to_device(backend.cr, &x0, &y0);
  cairo_user_to_device(backend.cr, &x1, &y1);
  const int width = cairo_image_surface_get_width(backend.surface);
  const int height = cairo_image_surface_get_height(backend.surface);
  return {std::clamp(int(std::floor(std::min(x0, x1))), 0, width),
          std::clamp(int(std::floor(std::min(y0, y1))), 0, height),
          std::clamp(int(std::ceil(std::max(x0, x1))), 0, width),
          std::clamp(int(std::ceil(std::max(y0, y1))), 0, height)};
}

// Paints the image scaled into the rectangle: as itself, or (as a mask) its alpha filled with
// the current source.
void paintImage(CGContext::Backend& b, CGRect rect, const CGImage& image, bool asMask) {
  if (image.isEmpty() || CGRectIsEmpty(rect)) return;
  cairo_t* cr = b.cr;
  cairo_surface_t* s = CGImageCreateCairoSurface(image);
  if (s == nullptr) return;
  cairo_save(cr);
  cairo_translate(cr, rect.origin.x, rect.origin.y);
  cairo_scale(cr, rect.size.width / image.width, rect.size.height / image.height);
  if (asMask) {
    b.useFill();
    cairo_mask_surface(cr, s, 0, 0);
  } else {
    cairo_set_source_surface(cr, s, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
    cairo_rectangle(cr, 0, 0, image.width, image.height);
    cairo_fill(cr);
  }
  cairo_restore(cr);
  cairo_surface_destroy(s);
}
}  // namespace

void CGContext::drawImage(CGRect rect, const CGImage& image) { paintImage(*backend_, rect, image, false); }
void CGContext::drawImageAsMask(CGRect rect, const CGImage& image) { paintImage(*backend_, rect, image, true); }

void CGContext::beginTransparencyLayer() { cairo_push_group(backend_->cr); }

void CGContext::endTransparencyLayer(double alpha) {
  cairo_pop_group_to_source(backend_->cr);
  cairo_paint_with_alpha(backend_->cr, std::clamp(alpha, 0.0, 1.0));
}

void CGContext::blurBehind(CGRect rect, CGFloat radius, CGBlurCache* cache) {
  cairo_t* cr = backend_->cr;
  cairo_surface_t* base = backend_->surface;
  if (cache && cache->use == CGBlurCache::Use::None) cache = nullptr;
  if (cache && cache->use == CGBlurCache::Use::Reuse && cache->valid) {
    paintPixels(cache->pixels.data(), cache->left, cache->top, cache->width, cache->height);
    return;
  }
  // The rectangle in the bitmap's pixels, within the bitmap and the clip.
  double cx0, cy0, cx1, cy1;
  cairo_clip_extents(cr, &cx0, &cy0, &cx1, &cy1);
  const PixelBox pixels = pixelBox(*backend_, CGRectIntersection(rect, CGRectMake(cx0, cy0, cx1 - cx0, cy1 - cy0)));
  const int left = pixels.left, top = pixels.top, w = pixels.width(), h = pixels.height();
  if (cache) cache->valid = false;
  if (w <= 0 || h <= 0) return;

  cairo_surface_flush(base);
  const unsigned char* data = cairo_image_surface_get_data(base);
  const int stride = cairo_image_surface_get_stride(base);
  std::vector<uint32_t> a(size_t(w) * size_t(h)), b(a.size());
  for (int y = 0; y < h; ++y)
    std::memcpy(&a[size_t(y) * size_t(w)], data + (top + y) * stride + left * 4, size_t(w) * 4);
  // Three box passes each way come close to a Gaussian of the same spread.
  const int box = std::max(1, int(std::lround(radius * scale_ / 2)));
  for (int pass = 0; pass < 3; ++pass) {
    boxBlur(a.data(), b.data(), h, w, 1, w, box);
    boxBlur(b.data(), a.data(), w, h, w, 1, box);
  }
  paintPixels(a.data(), left, top, w, h);
  if (cache) {
    cache->pixels = std::move(a);
    cache->left = left, cache->top = top, cache->width = w, cache->height = h;
    cache->valid = true;
  }
}

// Replaces the bitmap's pixels in the box (device pixels) with these, within the clip.
void CGContext::paintPixels(const uint32_t* argb, int left, int top, int width, int height) {
  cairo_t* cr = backend_->cr;
  cairo_surface_t* source = cairo_image_surface_create_for_data(
      reinterpret_cast<unsigned char*>(const_cast<uint32_t*>(argb)), CAIRO_FORMAT_ARGB32, width, height, width * 4);
  cairo_save(cr);
  cairo_identity_matrix(cr);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_surface(cr, source, left, top);
  cairo_rectangle(cr, left, top, width, height);
  cairo_fill(cr);
  cairo_restore(cr);
  cairo_surface_destroy(source);
}

CGColor CGContext::averageColorBehind(CGRect rect) const {
  cairo_surface_t* base = backend_->surface;
  const PixelBox pixels = pixelBox(*backend_, rect);
  const int left = pixels.left, top = pixels.top, right = pixels.right, bottom = pixels.bottom;
  if (right <= left || bottom <= top) return CGColor{0, 0, 0, 1};
  cairo_surface_flush(base);
  const unsigned char* data = cairo_image_surface_get_data(base);
  const int stride = cairo_image_surface_get_stride(base);
  // Premultiplied pixels over black: their plain sums are the colour as it shows.
  double sum[3] = {0, 0, 0};
  for (int y = top; y < bottom; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(data + y * stride);
    for (int x = left; x < right; ++x) {
      sum[0] += (row[x] >> 16) & 0xff;
      sum[1] += (row[x] >> 8) & 0xff;
      sum[2] += row[x] & 0xff;
    }
  }
  const double n = 255.0 * double(right - left) * double(bottom - top);
  return CGColor{sum[0] / n, sum[1] / n, sum[2] / n, 1};
}

CGBitmapContext::CGBitmapContext(CGSize size, double scale)
    : width_(std::max(1, int(std::ceil(size.width * scale - 1e-9)))),
      height_(std::max(1, int(std::ceil(size.height * scale - 1e-9)))) {
  auto backend = std::make_unique<CGContext::Backend>();
  backend->surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width_, height_);
  backend->cr = cairo_create(backend->surface);
  cairo_scale(backend->cr, scale, scale);
  cairo_set_antialias(backend->cr, CAIRO_ANTIALIAS_GRAY);
  cairo_set_line_width(backend->cr, 1.0);
  context_.reset(new CGContext(std::move(backend), scale));
}

CGBitmapContext::~CGBitmapContext() {
  cairo_surface_t* surface = context_->backend_->surface;
  context_.reset();
  cairo_surface_destroy(surface);
}

const unsigned char* CGBitmapContext::premultipliedARGB() {
  cairo_surface_flush(context_->backend_->surface);
  return cairo_image_surface_get_data(context_->backend_->surface);
}

int CGBitmapContext::stride() const { return cairo_image_surface_get_stride(context_->backend_->surface); }

CGImage CGBitmapContext::image() {
  const unsigned char* data = premultipliedARGB();
  CGImage out;
  out.width = uint32_t(width_);
  out.height = uint32_t(height_);
  out.rgba.resize(size_t(width_) * size_t(height_) * 4);
  for (int y = 0; y < height_; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(data + y * stride());
    uint8_t* px = out.rgba.data() + size_t(y) * size_t(width_) * 4;
    for (int x = 0; x < width_; ++x, px += 4) {
      const uint32_t p = row[x], a = p >> 24;
      auto straight = [a](uint32_t c) { return a == 0 ? 0u : std::min(255u, (c * 255 + a / 2) / a); };
      px[0] = uint8_t(straight((p >> 16) & 0xff));
      px[1] = uint8_t(straight((p >> 8) & 0xff));
      px[2] = uint8_t(straight(p & 0xff));
      px[3] = uint8_t(a);
    }
  }
  return out;
}

bool CGBitmapContext::writePNG(const std::string& path, std::string& error) {
  return CGImageWritePNG(image(), path, error);
}
