#include "uikit/UISegmentedControl.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "uikit/UITouch.h"

OBJC_CLASS_WITH_MEMBERS(UISegmentedControl, UIControl)

namespace {
constexpr double kCornerRadius = 4;
constexpr double kTitlePadding = 4;
constexpr double kHeight = 29;
}  // namespace

void UISegmentedControl::registerMembers(Class cls) {
  class_addProperty(cls, "titles", &UISegmentedControl::setTitles);
  class_addProperty(cls, "selectedSegmentIndex", &UISegmentedControl::setSelectedSegmentIndexFromLayout);
  class_addProperty(cls, "momentary", &UISegmentedControl::setMomentary);
}

UISegmentedControl::UISegmentedControl() = default;
UISegmentedControl::UISegmentedControl(CGRect frame) : UIControl(frame) {}

UISegmentedControl::UISegmentedControl(const std::vector<std::string>& items) : titles_(items) {
  setFrame(CGRectMake(0, 0, sizeThatFits({}).width, kHeight));
}

// Segments.

void UISegmentedControl::insertSegmentWithTitle(const std::string& title, NSUInteger index, bool) {
  index = std::min<NSUInteger>(index, titles_.size());
  titles_.insert(titles_.begin() + std::ptrdiff_t(index), title);
  if (selected_ >= NSInteger(index)) ++selected_;
  setNeedsDisplay();
}

void UISegmentedControl::removeSegmentAtIndex(NSUInteger index, bool) {
  if (index >= titles_.size()) return;
  titles_.erase(titles_.begin() + std::ptrdiff_t(index));
  if (selected_ == NSInteger(index)) selected_ = UISegmentedControlNoSegment;
  else if (selected_ > NSInteger(index)) --selected_;
  setNeedsDisplay();
}

void UISegmentedControl::removeAllSegments() {
  titles_.clear();
  selected_ = UISegmentedControlNoSegment;
  highlightedSegment_ = UISegmentedControlNoSegment;
  setNeedsDisplay();
}

void UISegmentedControl::setTitleForSegmentAtIndex(const std::string& title, NSUInteger index) {
  if (index >= titles_.size()) return;
  titles_[index] = title;
  setNeedsDisplay();
}

std::string UISegmentedControl::titleForSegmentAtIndex(NSUInteger index) const {
  return index < titles_.size() ? titles_[index] : std::string();
}

void UISegmentedControl::setTitles(const std::vector<std::string>& titles) {
  titles_ = titles;
  highlightedSegment_ = UISegmentedControlNoSegment;
  if (selected_ >= NSInteger(titles_.size())) selected_ = UISegmentedControlNoSegment;
  if (pendingLayoutIndex_ != UISegmentedControlNoSegment) {
    setSelectedSegmentIndex(pendingLayoutIndex_);
    pendingLayoutIndex_ = UISegmentedControlNoSegment;
  }
  setNeedsDisplay();
}

void UISegmentedControl::setSelectedSegmentIndex(NSInteger index) {
  if (index < UISegmentedControlNoSegment || index >= NSInteger(titles_.size())) return;
  selected_ = index;
  setNeedsDisplay();
}

void UISegmentedControl::setSelectedSegmentIndexFromLayout(long index) {
  if (index >= NSInteger(titles_.size())) pendingLayoutIndex_ = index;
  else setSelectedSegmentIndex(index);
}

// Geometry: equal widths, edges on whole points.

CGRect UISegmentedControl::rectForSegmentAtIndex(NSUInteger index) const {
  const CGRect b = bounds();
  const double n = double(std::max<size_t>(titles_.size(), 1));
  const double x0 = std::round(b.size.width * double(index) / n);
  const double x1 = std::round(b.size.width * double(index + 1) / n);
  return CGRectMake(b.origin.x + x0, b.origin.y, x1 - x0, b.size.height);
}

NSInteger UISegmentedControl::segmentIndexAtPoint(CGPoint point) const {
  if (titles_.empty() || !CGRectContainsPoint(bounds(), point)) return UISegmentedControlNoSegment;
  for (NSUInteger i = 0; i < titles_.size(); ++i)
    if (point.x < CGRectGetMaxX(rectForSegmentAtIndex(i))) return NSInteger(i);
  return NSInteger(titles_.size()) - 1;
}

CGSize UISegmentedControl::sizeThatFits(CGSize) const {
  double widest = 0;
  for (const std::string& title : titles_)
    widest = std::max(widest, CGTextMeasure(title, font_->cgFont(), 0, CGLineBreak::Clip, 1).width);
  return CGSizeMake(std::ceil((widest + 2 * kTitlePadding + 12) * double(titles_.size())), kHeight);
}

// Tracking: the segment under the finger is highlighted; lifting on it selects it.

void UISegmentedControl::setHighlightedSegment(NSInteger index) {
  if (index == highlightedSegment_) return;
  highlightedSegment_ = index;
  setNeedsDisplay();
}

bool UISegmentedControl::beginTrackingWithTouch(UITouch* touch, UIEvent*) {
  const NSInteger index = segmentIndexAtPoint(touch->locationInView(this));
  setHighlightedSegment(index);
  return index != UISegmentedControlNoSegment;
}

bool UISegmentedControl::continueTrackingWithTouch(UITouch* touch, UIEvent*) {
  const CGPoint p = touch->locationInView(this);
  // Above or below the control (within the tracking margin) the segment is the one in line
  // with the finger, as long as the finger is inside.
  const CGPoint inRow = CGPointMake(p.x, CGRectGetMidY(bounds()));
  setHighlightedSegment(isInsideWhileTracking(p) ? segmentIndexAtPoint(inRow) : UISegmentedControlNoSegment);
  return true;
}

void UISegmentedControl::endTrackingWithTouch(UITouch* touch, UIEvent* event) {
  continueTrackingWithTouch(touch, event);
  const NSInteger index = highlightedSegment_;
  setHighlightedSegment(UISegmentedControlNoSegment);
  if (index == UISegmentedControlNoSegment) return;
  if (momentary_) {
    // The target reads the tapped segment; afterwards none stays selected.
    selected_ = index;
    sendActionsForControlEvents(UIControlEventValueChanged, event);
    selected_ = UISegmentedControlNoSegment;
    setNeedsDisplay();
    return;
  }
  if (index == selected_) return;
  selected_ = index;
  setNeedsDisplay();
  sendActionsForControlEvents(UIControlEventValueChanged, event);
}

void UISegmentedControl::cancelTrackingWithEvent(UIEvent*) { setHighlightedSegment(UISegmentedControlNoSegment); }

// Drawing.

void UISegmentedControl::fillSegment(CGContext& ctx, CGRect r, bool roundLeft, bool roundRight, double radius) const {
  const double x = r.origin.x, y = r.origin.y, w = r.size.width, h = r.size.height;
  const double pi = std::numbers::pi;
  ctx.beginPath();
  if (roundLeft) {
    ctx.moveToPoint(x, y + radius);
    ctx.addArc(x + radius, y + radius, radius, pi, 1.5 * pi);
  } else {
    ctx.moveToPoint(x, y);
  }
  if (roundRight) {
    ctx.addArc(x + w - radius, y + radius, radius, -0.5 * pi, 0);
    ctx.addArc(x + w - radius, y + h - radius, radius, 0, 0.5 * pi);
  } else {
    ctx.addLineToPoint(x + w, y);
    ctx.addLineToPoint(x + w, y + h);
  }
  if (roundLeft) ctx.addArc(x + radius, y + h - radius, radius, 0.5 * pi, pi);
  else ctx.addLineToPoint(x, y + h);
  ctx.closePath();
  ctx.fillPath();
}

void UISegmentedControl::drawRect(CGContext& ctx, CGRect) {
  const CGRect b = bounds();
  CGColor tint = tintColor()->cgColor();
  if (!isEnabled()) tint.alpha *= 0.4;
  const NSInteger shownSelected = momentary_ ? highlightedSegment_ : selected_;
  // The selected title stands out of the tint's fill: white on a dark tint, nearly black on a
  // light one (the phone cuts it out of the fill, showing what lies behind).
  const double luminance = 0.2126 * tint.red + 0.7152 * tint.green + 0.0722 * tint.blue;
  const CGColor selectedTitle = luminance > 0.6 ? CGColor{0.1, 0.1, 0.12, 1} : CGColor{1, 1, 1, 1};
  const size_t n = titles_.size();
  for (size_t i = 0; i < n; ++i) {
    const CGRect r = rectForSegmentAtIndex(i);
    const bool selected = NSInteger(i) == shownSelected;
    if (selected || NSInteger(i) == highlightedSegment_) {
      CGColor fill = tint;
      if (!selected) fill.alpha *= 0.15;  // pressed but not (yet) selected
      ctx.setFillColor(fill);
      fillSegment(ctx, r, i == 0, i + 1 == n, kCornerRadius);
    }
    if (i > 0) {
      ctx.setStrokeColor(tint);
      ctx.setLineWidth(1);
      ctx.strokeLine(CGPointMake(r.origin.x + 0.5, b.origin.y), CGPointMake(r.origin.x + 0.5, CGRectGetMaxY(b)));
    }
    const std::string& title = titles_[i];
    if (title.empty()) continue;
    const double width = std::max(0.0, r.size.width - 2 * kTitlePadding);
    const CGSize text = CGTextMeasure(title, font_->cgFont(), width, CGLineBreak::TruncateTail, 1);
    ctx.setFillColor(selected ? selectedTitle : tint);
    ctx.drawText(title, CGRectMake(r.origin.x + kTitlePadding, CGRectGetMidY(r) - text.height / 2, width, text.height),
                 font_->cgFont(), CGTextAlignment::Center, CGLineBreak::TruncateTail, 1);
  }
  ctx.setStrokeColor(tint);
  ctx.setLineWidth(1);
  ctx.strokeRoundedRect(CGRectInset(b, 0.5, 0.5), kCornerRadius);
}
