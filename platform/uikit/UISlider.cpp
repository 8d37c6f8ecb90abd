#include "uikit/UISlider.h"

#include <algorithm>

#include "uikit/UIKitPropertyTypes.h"
#include "uikit/UITouch.h"

OBJC_CLASS_WITH_MEMBERS(UISlider, UIControl)

namespace {
constexpr double kThumbDiameter = 28;
constexpr double kTrackHeight = 2;
constexpr double kMinimumHitSize = 44;
constexpr double kAnimationDuration = 0.25;
const CGColor kMaximumTrackGrey{183 / 255.0, 183 / 255.0, 183 / 255.0, 1};
}  // namespace

void UISlider::registerMembers(Class cls) {
  class_addProperty(cls, "minimumValue", &UISlider::setMinimumValue);
  class_addProperty(cls, "maximumValue", &UISlider::setMaximumValue);
  class_addProperty(cls, "value", static_cast<void (UISlider::*)(float)>(&UISlider::setValue));
  class_addProperty(cls, "continuous", &UISlider::setContinuous);
  class_addProperty(cls, "minimumTrackTintColor", &UISlider::setMinimumTrackTintColor);
  class_addProperty(cls, "maximumTrackTintColor", &UISlider::setMaximumTrackTintColor);
  class_addProperty(cls, "thumbTintColor", &UISlider::setThumbTintColor);
}

UISlider::UISlider() : UISlider(CGRectZero) {}

UISlider::UISlider(CGRect frame) : UIControl(frame), thumb_(make<UIDrawnView>(&UISlider::drawThumb)) {
  addSubview(thumb_);
  placeThumb();
}

void UISlider::setValue(float value, bool animated) {
  const float before = value_;
  value_ = std::clamp(value, minimum_, maximum_);
  if (animated) {
    UIView::animateWithDuration(kAnimationDuration, [this] { placeThumb(); });
  } else {
    thumb_->removeAllAnimations();
    placeThumb();
  }
  if (value_ != before) tellValueObservers();
}

// From a copy: an observer may add another (which hears only later changes) while it runs.
void UISlider::tellValueObservers() {
  const std::vector<ValueObserver> observers = valueObservers_;
  for (const ValueObserver& observer : observers) observer(value_);
}

void UISlider::setMinimumValue(float minimum) {
  minimum_ = minimum;
  maximum_ = std::max(maximum_, minimum);
  setValue(value_, false);
}

void UISlider::setMaximumValue(float maximum) {
  maximum_ = maximum;
  minimum_ = std::min(minimum_, maximum);
  setValue(value_, false);
}

void UISlider::setMinimumTrackTintColor(UIColor* color) {
  minimumTrackTint_ = Ref<UIColor>(color);
  setNeedsDisplay();
}

void UISlider::setMaximumTrackTintColor(UIColor* color) {
  maximumTrackTint_ = Ref<UIColor>(color);
  setNeedsDisplay();
}

void UISlider::setThumbTintColor(UIColor* color) {
  thumbTint_ = Ref<UIColor>(color);
  thumb_->setNeedsDisplay();
}

void UISlider::setEnabled(bool enabled) {
  UIControl::setEnabled(enabled);
  thumb_->setNeedsDisplay();
}

// Geometry.

CGRect UISlider::trackRectForBounds(CGRect bounds) const {
  return CGRectMake(bounds.origin.x, CGRectGetMidY(bounds) - kTrackHeight / 2, bounds.size.width, kTrackHeight);
}

// The thumb's centre travels from one radius inside the track's left end to one radius inside
// its right end, so that the thumb never hangs over the slider's bounds.
CGRect UISlider::thumbRectForBounds(CGRect bounds, CGRect trackRect, float value) const {
  const double span = double(maximum_) - double(minimum_);
  const double fraction = span > 0 ? (double(value) - minimum_) / span : 0;
  const double travel = std::max(0.0, trackRect.size.width - kThumbDiameter);
  return CGRectMake(trackRect.origin.x + travel * fraction, CGRectGetMidY(bounds) - kThumbDiameter / 2,
                    kThumbDiameter, kThumbDiameter);
}

CGRect UISlider::thumbHitRect() const {
  const CGRect b = bounds();
  const CGRect thumb = thumbRectForBounds(b, trackRectForBounds(b), value_);
  return CGRectInset(thumb, -std::max(0.0, (kMinimumHitSize - thumb.size.width) / 2),
                     -std::max(0.0, (kMinimumHitSize - thumb.size.height) / 2));
}

void UISlider::placeThumb() {
  const CGRect b = bounds();
  thumb_->setFrame(thumbRectForBounds(b, trackRectForBounds(b), value_));
}

void UISlider::layoutSubviews() { placeThumb(); }

bool UISlider::pointInside(CGPoint point, UIEvent* event) const {
  return UIControl::pointInside(point, event) || CGRectContainsPoint(thumbHitRect(), point);
}

CGSize UISlider::sizeThatFits(CGSize) const {
  return CGSizeMake(frame().size.width > 0 ? frame().size.width : 118, 34);
}

// Tracking.

float UISlider::valueForTouch(UITouch* touch) const {
  const CGRect track = trackRectForBounds(bounds());
  const double travel = track.size.width - kThumbDiameter;
  if (travel <= 0) return minimum_;
  const double centre = touch->locationInView(this).x - grabOffset_;
  const double fraction = std::clamp((centre - track.origin.x - kThumbDiameter / 2) / travel, 0.0, 1.0);
  return std::clamp(float(minimum_ + fraction * (double(maximum_) - minimum_)), minimum_, maximum_);
}

bool UISlider::beginTrackingWithTouch(UITouch* touch, UIEvent*) {
  const CGPoint p = touch->locationInView(this);
  if (!CGRectContainsPoint(thumbHitRect(), p)) return false;
  // The thumb stays where it is under the finger rather than jumping to centre on it.
  grabOffset_ = p.x - CGRectGetMidX(thumbHitRect());
  valueAtTrackingStart_ = value_;
  thumb_->removeAllAnimations();
  return true;
}

bool UISlider::continueTrackingWithTouch(UITouch* touch, UIEvent* event) {
  const float value = valueForTouch(touch);
  if (value != value_) {
    value_ = value;
    placeThumb();
    tellValueObservers();
    if (continuous_) sendActionsForControlEvents(UIControlEventValueChanged, event);
  }
  return true;
}

void UISlider::endTrackingWithTouch(UITouch* touch, UIEvent* event) {
  continueTrackingWithTouch(touch, event);  // where the finger lifted counts too
  if (!continuous_ && value_ != valueAtTrackingStart_) sendActionsForControlEvents(UIControlEventValueChanged, event);
}

void UISlider::cancelTrackingWithEvent(UIEvent*) {}

// Drawing.

void UISlider::drawRect(CGContext& ctx, CGRect) {
  const CGRect track = trackRectForBounds(bounds());
  // The split follows the thumb as the screen shows it, so both move together when animated.
  const double split = CGRectGetMidX(thumb_->presentationFrame());
  ctx.setFillColor(maximumTrackTint_ ? maximumTrackTint_->cgColor() : kMaximumTrackGrey);
  ctx.fillRoundedRect(track, kTrackHeight / 2);
  CGColor left = minimumTrackTint_ ? minimumTrackTint_->cgColor() : tintColor()->cgColor();
  if (!isEnabled()) left.alpha *= 0.4;
  ctx.setFillColor(left);
  ctx.fillRoundedRect(CGRectMake(track.origin.x, track.origin.y, std::max(0.0, split - track.origin.x), track.size.height),
                      kTrackHeight / 2);
}

void UISlider::drawThumb(UIDrawnView& view, CGContext& ctx, CGRect rect) {
  const auto* slider = dynamic_cast<const UISlider*>(view.superview());
  // A soft shadow falling below the thumb, then the white disc with a faint grey edge.
  for (int i = 0; i < 4; ++i) {
    ctx.setFillColor(CGColor{0, 0, 0, 0.045});
    ctx.fillEllipseInRect(CGRectOffset(CGRectInset(rect, 1.5 - i * 0.75, 1.5 - i * 0.75), 0, 2.5));
  }
  ctx.setFillColor(slider && slider->thumbTint_ ? slider->thumbTint_->cgColor() : CGColor{1, 1, 1, 1});
  ctx.fillEllipseInRect(rect);
  ctx.setStrokeColor(CGColor{0, 0, 0, 0.15});
  ctx.setLineWidth(0.5);
  ctx.strokeEllipseInRect(CGRectInset(rect, 0.25, 0.25));
}
