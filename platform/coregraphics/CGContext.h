// A drawing context: what views draw with. Coordinates are in points, y down, the origin at the
// top left of whatever is being drawn (the renderer moves it from view to view). Everything is
// drawn antialiased into a software RGBA surface; see CGBitmapContext.
//
// Only the drawing files know the libraries underneath (cairo for shapes and pixels, pango for
// text); views see this interface alone.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "coregraphics/CGColor.h"
#include "coregraphics/CGGeometry.h"
#include "coregraphics/CGImage.h"

// A font as the drawing layer knows it: the system face (Nimbus Sans) regular or bold, at a size in points.
struct CGFontSpec {
  double size = 17;
  bool bold = false;
  friend bool operator==(const CGFontSpec&, const CGFontSpec&) = default;
};

enum class CGTextAlignment { Left, Center, Right };
enum class CGLineBreak { WordWrap, Clip, TruncateHead, TruncateTail, TruncateMiddle };

// The size text takes when laid out at most `maxWidth` wide (0: unlimited) in at most
// `maxLines` lines (0: unlimited), rounded up to whole points.
CGSize CGTextMeasure(const std::string& text, const CGFontSpec& font, CGFloat maxWidth,
                     CGLineBreak lineBreak, int maxLines);

// One text as it was drawn: what a readability check needs to judge it. The rectangle is in
// the bitmap's pixels; `behind` is the mean colour already there before the text went on;
// `truncated` says whether the text lost characters to an ellipsis or to the clip of its width.
struct CGTextRecord {
  std::string text;
  CGRect deviceRect;
  CGFontSpec font;
  CGColor colour;
  CGColor behind;
  bool truncated = false;
};
// Called for every text drawn that can be seen (not wholly outside the clip), while set; main
// thread only. An empty function stops the recording.
void CGSetTextRecorder(std::function<void(const CGTextRecord&)> recorder);

class CGContext {
 public:
  ~CGContext();
  CGContext(const CGContext&) = delete;
  CGContext& operator=(const CGContext&) = delete;

  // Pixels per point of the surface drawn into.
  double scale() const { return scale_; }

  void saveGState();
  void restoreGState();
  void translateCTM(CGFloat tx, CGFloat ty);
  void scaleCTM(CGFloat sx, CGFloat sy);
  void rotateCTM(CGFloat radians);
  // Intersects the clip with the rectangle.
  void clipToRect(CGRect rect);
  // The part of the user space that can still be drawn into.
  CGRect clipBoundingBox() const;

  void setFillColor(const CGColor& color);
  void setStrokeColor(const CGColor& color);
  void setLineWidth(CGFloat width);

  void fillRect(CGRect rect);
  void strokeRect(CGRect rect);
  void fillRoundedRect(CGRect rect, CGFloat radius);
  void strokeRoundedRect(CGRect rect, CGFloat radius);
  void fillEllipseInRect(CGRect rect);
  void strokeEllipseInRect(CGRect rect);
  void strokeLine(CGPoint from, CGPoint to);

  // A path of lines and arcs (angles in radians, clockwise in y-down space), then filled or
  // stroked with the current colours; both end the path.
  void beginPath();
  void moveToPoint(CGFloat x, CGFloat y);
  void addLineToPoint(CGFloat x, CGFloat y);
  void addArc(CGFloat cx, CGFloat cy, CGFloat radius, CGFloat startAngle, CGFloat endAngle);
  void closePath();
  void fillPath();
  void strokePath();

  // Draws the image scaled into the rectangle.
  void drawImage(CGRect rect, const CGImage& image);
  // Draws the image's alpha as a mask filled with the fill colour (a template image).
  void drawImageAsMask(CGRect rect, const CGImage& image);

  // Everything drawn between begin and end is composited as one layer with the given opacity.
  void beginTransparencyLayer();
  void endTransparencyLayer(double alpha);

  // Replaces what has already been drawn under the rectangle with a blurred copy of it (a
  // Gaussian blur of about `radius` points), so that what is drawn next lies on frosted glass.
  void blurBehind(CGRect rect, CGFloat radius);
  // The mean colour of what has already been drawn under the rectangle (opaque black where
  // nothing lies under it), so that what is drawn next can stand out from it.
  CGColor averageColorBehind(CGRect rect) const;

  // Lays the text out in the rectangle's width, starting at its top, with the fill colour.
  // Lines beyond `maxLines` (0: as many as fit the height) are cut according to `lineBreak`.
  void drawText(const std::string& text, CGRect rect, const CGFontSpec& font,
                CGTextAlignment alignment, CGLineBreak lineBreak, int maxLines);

  // What the context draws with underneath; known to the drawing files alone.
  struct Backend;

 private:
  // Hands a text being drawn to the recorder.
  void record(const std::string& text, CGRect rect, const CGFontSpec& font, void* pangoLayout, CGLineBreak lineBreak,
              bool shortened);
  friend class CGBitmapContext;
  CGContext(std::unique_ptr<Backend> backend, double scale);

  std::unique_ptr<Backend> backend_;
  double scale_;
};

// A context drawing into pixels it owns: `size` points at `scale` pixels per point, cleared to
// transparent.
class CGBitmapContext {
 public:
  CGBitmapContext(CGSize size, double scale);
  ~CGBitmapContext();
  CGBitmapContext(const CGBitmapContext&) = delete;
  CGBitmapContext& operator=(const CGBitmapContext&) = delete;

  CGContext& context() { return *context_; }
  int pixelWidth() const { return width_; }
  int pixelHeight() const { return height_; }

  // The pixels as 32-bit words 0xAARRGGBB, alpha premultiplied, `stride` bytes per row (what a
  // window's texture takes directly).
  const unsigned char* premultipliedARGB();
  int stride() const;

  // The pixels as an image (straight alpha).
  CGImage image();
  bool writePNG(const std::string& path, std::string& error);

 private:
  int width_, height_;
  std::unique_ptr<CGContext> context_;
};
