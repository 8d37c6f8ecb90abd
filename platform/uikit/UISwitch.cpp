#include "uikit/UISwitch.h"

#include <algorithm>
#include <cmath>

#include "uikit/UIKitPropertyTypes.h"
#include "uikit/UITouch.h"

OBJC_CLASS_WITH_MEMBERS(UISwitch, UIControl)

namespace {
constexpr double kInset = 2;           // between the track's edge and the knob
constexpr double kKnobWidth = 27;
constexpr double kPressedKnobWidth = 34;
constexpr double kBorder = 1.5;
constexpr double kDragSlop = 3;        // a finger moving less than this still taps
constexpr double kAnimationDuration = 0.25;
const CGColor kGreen{0x4C / 255.0, 0xD9 / 255.0, 0x64 / 255.0, 1};
const CGColor kOffBorder{0.898, 0.898, 0.898, 1};

double mix(double a, double b, double t) { return a + (b - a) * t; }
}  // namespace

void UISwitch::registerMembers(Class cls) {
  class_addProperty(cls, "on", static_cast<void (UISwitch::*)(bool)>(&UISwitch::setOn));
  class_addProperty(cls, "onTintColor", &UISwitch::setOnTintColor);
  class_addProperty(cls, "thumbTintColor", &UISwitch::setThumbTintColor);
}

UISwitch::UISwitch() : UISwitch(CGRectZero) {}

UISwitch::UISwitch(CGRect frame)
    : UIControl(CGRect{frame.origin, kSize}), knob_(make<UIDrawnView>(&UISwitch::drawKnob)) {
  addSubview(knob_);
  placeKnob(false, false);
}

void UISwitch::setOn(bool on, bool animated) {
  on_ = on;
  placeKnob(on, animated);
  setNeedsDisplay();
}

void UISwitch::setOnTintColor(UIColor* color) {
  onTint_ = Ref<UIColor>(color);
  setNeedsDisplay();
}

void UISwitch::setThumbTintColor(UIColor* color) {
  thumbTint_ = Ref<UIColor>(color);
  knob_->setNeedsDisplay();
}

void UISwitch::setFrame(CGRect frame) { UIControl::setFrame(CGRect{frame.origin, kSize}); }
void UISwitch::setBounds(CGRect bounds) { UIControl::setBounds(CGRect{bounds.origin, kSize}); }

void UISwitch::setEnabled(bool enabled) {
  UIControl::setEnabled(enabled);
  knob_->setAlpha(enabled ? 1 : 0.6);
}

// The knob stretches while pressed and returns when let go.
void UISwitch::setHighlighted(bool highlighted) {
  UIControl::setHighlighted(highlighted);
  placeKnob(isTracking() && dragged_ ? dragSide_ : on_, true);
}

CGRect UISwitch::knobFrame(bool onSide) const {
  const double width = isHighlighted() ? kPressedKnobWidth : kKnobWidth;
  const double x = onSide ? kSize.width - kInset - width : kInset;
  return CGRectMake(x, kInset, width, kSize.height - 2 * kInset);
}

void UISwitch::placeKnob(bool onSide, bool animated) {
  const CGRect frame = knobFrame(onSide);
  if (animated) {
    UIView::animateWithDuration(kAnimationDuration, [this, frame] { knob_->setFrame(frame); });
  } else {
    knob_->removeAllAnimations();
    knob_->setFrame(frame);
  }
}

void UISwitch::layoutSubviews() {
  if (!isTracking()) knob_->setFrame(knobFrame(on_));
}

double UISwitch::presentedProgress() const {
  const CGRect f = knob_->presentationFrame();
  const double travel = kSize.width - 2 * kInset - f.size.width;
  return travel > 0 ? std::clamp((f.origin.x - kInset) / travel, 0.0, 1.0) : (on_ ? 1.0 : 0.0);
}

// Tracking.

bool UISwitch::beginTrackingWithTouch(UITouch* touch, UIEvent*) {
  dragged_ = false;
  dragSide_ = on_;
  touchStartX_ = touch->locationInView(this).x;
  return true;
}

// Once the finger has moved, the knob goes the way it moves.
bool UISwitch::continueTrackingWithTouch(UITouch* touch, UIEvent*) {
  const double dx = touch->locationInView(this).x - touchStartX_;
  if (std::fabs(dx) > kDragSlop) {
    dragged_ = true;
    dragSide_ = dx > 0;
  }
  if (dragged_) placeKnob(dragSide_, true);
  return true;
}

void UISwitch::endTrackingWithTouch(UITouch*, UIEvent* event) {
  bool on = on_;
  if (dragged_) on = dragSide_;
  else if (isTouchInside()) on = !on_;
  dragged_ = false;
  if (on == on_) {
    placeKnob(on_, true);
    return;
  }
  setOn(on, true);
  sendActionsForControlEvents(UIControlEventValueChanged, event);
}

void UISwitch::cancelTrackingWithEvent(UIEvent*) {
  dragged_ = false;
  placeKnob(on_, true);
}

// Drawing.

void UISwitch::drawRect(CGContext& ctx, CGRect) {
  const CGRect track = CGRectMake(0, 0, kSize.width, kSize.height);
  const double t = presentedProgress();
  if (!isEnabled()) ctx.beginTransparencyLayer();
  // The grey rim, the green flooding in as the knob goes over, and the white face shrinking
  // away towards the middle.
  ctx.setFillColor(kOffBorder);
  ctx.fillRoundedRect(track, kSize.height / 2);
  CGColor on = onTint_ ? onTint_->cgColor() : kGreen;
  on.alpha *= t;
  ctx.setFillColor(on);
  ctx.fillRoundedRect(track, kSize.height / 2);
  const double face = 1 - t;
  if (face > 0.01) {
    const CGRect inner = CGRectInset(track, kBorder, kBorder);
    const double w = inner.size.width * face, h = inner.size.height * face;
    ctx.setFillColor(CGColor{1, 1, 1, 1});
    ctx.fillRoundedRect(CGRectMake(CGRectGetMidX(inner) - w / 2, CGRectGetMidY(inner) - h / 2, w, h), h / 2);
  }
  if (!isEnabled()) ctx.endTransparencyLayer(0.5);
}

void UISwitch::drawKnob(UIDrawnView& view, CGContext& ctx, CGRect rect) {
  const auto* owner = dynamic_cast<const UISwitch*>(view.superview());
  const double radius = rect.size.height / 2;
  for (int i = 0; i < 4; ++i) {
    const double grow = mix(-1.0, 1.25, i / 3.0);
    ctx.setFillColor(CGColor{0, 0, 0, 0.05});
    ctx.fillRoundedRect(CGRectOffset(CGRectInset(rect, -grow, -grow), 0, 2.5), radius + grow);
  }
  ctx.setFillColor(owner && owner->thumbTint_ ? owner->thumbTint_->cgColor() : CGColor{1, 1, 1, 1});
  ctx.fillRoundedRect(rect, radius);
  ctx.setStrokeColor(CGColor{0, 0, 0, 0.1});
  ctx.setLineWidth(0.5);
  ctx.strokeRoundedRect(CGRectInset(rect, 0.25, 0.25), radius - 0.25);
}
