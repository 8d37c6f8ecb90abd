#include "uikit/UIAlertView.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <mutex>

#include "uikit/UIApplication.h"
#include "uikit/UIFont.h"
#include "uikit/UIWindow.h"

OBJC_CLASS_WITH_MEMBERS(UIAlertView, UIView)

namespace {

std::mutex shownLock;
std::vector<Ref<UIAlertView>>& shown() {
  static auto* alerts = new std::vector<Ref<UIAlertView>>;  // outlives static destruction
  return *alerts;
}

std::string text(const NSString* s) { return s ? s->string() : std::string(); }

// The message on one line: line breaks become " / ".
std::string oneLine(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == '\n') out += " / ";
    else if (c != '\r') out += c;
  }
  return out;
}

// iOS 7's alert: 270 points wide, 7-point corners, 17-point bold title, 13-point message,
// 44-point buttons under hairlines.
constexpr double kWidth = 270;
constexpr double kScreenMargin = 10;
constexpr double kCornerRadius = 7;
constexpr double kSidePadding = 16;
constexpr double kTopPadding = 20;
constexpr double kTitleGap = 4;
constexpr double kBottomPadding = 20;
constexpr double kButtonHeight = 44;
constexpr double kPresentDuration = 0.2;
const CGFontSpec kTitleFont{17, true};
const CGFontSpec kMessageFont{13, false};
const CGColor kBoxColor{0.98, 0.98, 0.98, 1};  // opaque: unblurred text showing through reads as a fault
const CGColor kSeparatorColor{0.8, 0.8, 0.82, 1};
UIColor* dimmingColor() {
  static UIColor* c = UIColor::colorWithWhite(0, 0.4).detach();
  return c;
}
SEL buttonTappedSelector() {
  static SEL s = sel_registerName("_alertViewButtonTapped:");
  return s;
}

bool isContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

std::string trimmedRight(std::string s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\n' || s.back() == '\r' || s.back() == '\t')) s.pop_back();
  return s;
}

// The text as it fits `room` points of height at `width`: whole, or cut after the last word that
// still fits and ended with an ellipsis, so a reader sees that something is missing.
std::string fitText(const std::string& text, double width, double room) {
  auto height = [&](const std::string& s) { return CGTextMeasure(s, kMessageFont, width, CGLineBreak::WordWrap, 0).height; };
  if (height(text) <= room) return text;
  const std::string ellipsis = "\u2026";
  size_t fits = 0, fails = text.size();
  while (fails - fits > 1) {
    size_t mid = fits + (fails - fits) / 2;
    while (mid > fits && isContinuationByte(text[mid])) --mid;
    if (mid == fits) break;
    if (height(trimmedRight(text.substr(0, mid)) + ellipsis) <= room) fits = mid;
    else fails = mid;
  }
  std::string cut = text.substr(0, fits);
  if (size_t space = cut.find_last_of(" \n"); space != std::string::npos && space > 0) cut.erase(space);
  return trimmedRight(cut) + ellipsis;
}

}  // namespace

void UIAlertView::registerMembers(Class cls) {
  class_addMethod(cls, buttonTappedSelector(), &UIAlertView::buttonTapped, "v@:@");
}

UIAlertView::UIAlertView(Ref<NSString> title, Ref<NSString> message, NSObject* delegate,
                         Ref<NSString> cancelButtonTitle, std::vector<Ref<NSString>> otherButtonTitles)
    : title_(std::move(title)),
      message_(std::move(message)),
      delegate_(delegate),
      cancelButtonTitle_(std::move(cancelButtonTitle)) {
  if (cancelButtonTitle_) buttons_.push_back(cancelButtonTitle_);
  for (auto& b : otherButtonTitles) {
    if (b) buttons_.push_back(std::move(b));
  }
}

NSString* UIAlertView::buttonTitleAtIndex(long index) const {
  if (index < 0 || index >= numberOfButtons()) return nullptr;
  return buttons_[static_cast<std::size_t>(index)].get();
}

UIButton* UIAlertView::buttonAtIndex(long index) const {
  if (index < 0 || static_cast<std::size_t>(index) >= buttonViews_.size()) return nullptr;
  return buttonViews_[static_cast<std::size_t>(index)].get();
}

namespace {
std::atomic<bool> echoesAlerts{true};
}  // namespace

void UIAlertView::setEchoesToStandardError(bool echoes) { echoesAlerts.store(echoes, std::memory_order_relaxed); }

void UIAlertView::show() {
  if (visible_) return;
  visible_ = true;
  {
    std::lock_guard<std::mutex> hold(shownLock);
    shown().push_back(Ref<UIAlertView>(this));
  }
  if (echoesAlerts.load(std::memory_order_relaxed)) {
    std::string buttons;
    for (const auto& b : buttons_) buttons += " [" + text(b) + "]";
    std::fprintf(stderr, "Alert \"%s\": %s%s\n", text(title_).c_str(),
                 oneLine(text(message_)).c_str(), buttons.c_str());
  }
  if (UIWindow* window = UIApplication::sharedApplication()->keyWindow()) putOnScreen(window);
}

// Two buttons sit side by side, the cancel button on the left; otherwise each has a row, the
// other buttons in order and the cancel button last. The message gives up lines (ending in an
// ellipsis) only when the whole alert would not fit in `maxHeight`.
UIAlertView::Layout UIAlertView::layoutWithin(double maxHeight) const {
  Layout layout;
  const double width = kWidth;
  const double textWidth = width - 2 * kSidePadding;
  const std::string title = text(title_), message = text(message_);
  double y = kTopPadding;
  if (!title.empty()) {
    const CGSize size = CGTextMeasure(title, kTitleFont, textWidth, CGLineBreak::WordWrap, 0);
    layout.title = CGRectMake(kSidePadding, y, textWidth, size.height);
    y += size.height;
  }
  const size_t count = buttons_.size();
  layout.sideBySide = count == 2;
  const double buttonsHeight = count == 0 ? 0 : (layout.sideBySide ? 1 : double(count)) * kButtonHeight;
  if (!message.empty()) {
    if (!title.empty()) y += kTitleGap;
    const double room = maxHeight > 0 ? maxHeight - y - kBottomPadding - buttonsHeight : 0;
    if (room > 0 && fittedFor_ != room) {
      fittedMessage_ = fitText(message, textWidth, room);
      fittedFor_ = room;
    }
    layout.messageText = room > 0 ? fittedMessage_ : message;
    const CGSize size = CGTextMeasure(layout.messageText, kMessageFont, textWidth, CGLineBreak::WordWrap, 0);
    layout.message = CGRectMake(kSidePadding, y, textWidth, size.height);
    y += size.height;
  }
  y += kBottomPadding;
  layout.buttonsTop = y;
  layout.buttonFrames.assign(count, CGRectZero);
  if (layout.sideBySide) {
    layout.buttonFrames[0] = CGRectMake(0, y, width / 2, kButtonHeight);
    layout.buttonFrames[1] = CGRectMake(width / 2, y, width / 2, kButtonHeight);
  } else {
    const long cancel = cancelButtonIndex();
    double row = y;
    for (size_t i = 0; i < count; ++i) {
      if (long(i) == cancel) continue;
      layout.buttonFrames[i] = CGRectMake(0, row, width, kButtonHeight);
      row += kButtonHeight;
    }
    if (cancel >= 0) layout.buttonFrames[size_t(cancel)] = CGRectMake(0, row, width, kButtonHeight);
  }
  layout.size = CGSizeMake(width, y + buttonsHeight);
  return layout;
}

void UIAlertView::putOnScreen(UIView* window) {
  Ref<UIAlertView> keep(this);
  const CGRect area = window->bounds();
  maxHeight_ = std::max(0.0, area.size.height - 2 * kScreenMargin);
  for (const Ref<UIButton>& b : buttonViews_) b->removeFromSuperview();
  buttonViews_.clear();
  for (size_t i = 0; i < buttons_.size(); ++i) {
    Ref<UIButton> button = UIButton::buttonWithType(UIButtonType::System);
    button->setTitleForState(text(buttons_[i]), UIControlStateNormal);
    button->setTitleFont(long(i) == cancelButtonIndex() ? UIFont::boldSystemFontOfSize(17) : UIFont::systemFontOfSize(17));
    button->setTag(NSInteger(i));
    button->addTarget(this, buttonTappedSelector(), UIControlEventTouchUpInside);
    addSubview(button);
    buttonViews_.push_back(button);
  }
  const Layout layout = layoutWithin(maxHeight_);
  setBackgroundColor(UIColor::clearColor());
  setFrame(CGRectMake(std::round(CGRectGetMidX(area) - layout.size.width / 2),
                      std::round(CGRectGetMidY(area) - layout.size.height / 2), layout.size.width,
                      layout.size.height));
  setAutoresizingMask(UIViewAutoresizingFlexibleLeftMargin | UIViewAutoresizingFlexibleRightMargin |
                      UIViewAutoresizingFlexibleTopMargin | UIViewAutoresizingFlexibleBottomMargin);
  layoutSubviews();

  dimmingView_ = make<UIView>(area);
  dimmingView_->setBackgroundColor(dimmingColor());
  dimmingView_->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
  dimmingView_->setAlpha(0);
  setAlpha(0);
  window->addSubview(dimmingView_);
  window->addSubview(this);
  Ref<UIView> dimming = dimmingView_;
  UIView::animateWithDuration(kPresentDuration, [&] {
    dimming->setAlpha(1);
    setAlpha(1);
  });
}

void UIAlertView::layoutSubviews() {
  const Layout layout = layoutWithin(maxHeight_);
  for (size_t i = 0; i < buttonViews_.size() && i < layout.buttonFrames.size(); ++i)
    buttonViews_[i]->setFrame(layout.buttonFrames[i]);
}

void UIAlertView::drawRect(CGContext& ctx, CGRect) {
  const Layout layout = layoutWithin(maxHeight_);
  const CGRect box = CGRectMake(0, 0, layout.size.width, layout.size.height);
  ctx.setFillColor(kBoxColor);
  ctx.fillRoundedRect(box, kCornerRadius);
  ctx.setFillColor(CGColor{0, 0, 0, 1});
  if (title_ && !title_->string().empty())
    ctx.drawText(title_->string(), layout.title, kTitleFont, CGTextAlignment::Center, CGLineBreak::WordWrap, 0);
  ctx.drawText(layout.messageText, layout.message, kMessageFont, CGTextAlignment::Center, CGLineBreak::WordWrap, 0);
  // Hairlines: above the buttons, between stacked rows, and between two buttons side by side.
  if (buttons_.empty()) return;
  const double hairline = 1.0 / ctx.scale();
  ctx.setFillColor(kSeparatorColor);
  for (const CGRect& f : layout.buttonFrames)
    ctx.fillRect(CGRectMake(f.origin.x, f.origin.y - hairline / 2, f.size.width, hairline));
  if (layout.sideBySide)
    ctx.fillRect(CGRectMake(box.size.width / 2 - hairline / 2, layout.buttonsTop, hairline, kButtonHeight));
}

void UIAlertView::didMoveToSuperview() {
  if (superview() == nullptr && dimmingView_) {
    Ref<UIView> dimming = std::move(dimmingView_);
    dimming->removeFromSuperview();
  }
}

void UIAlertView::tellDelegate(const char* name, long buttonIndex) {
  Ref<NSObject> delegate = delegate_.lock();
  SEL selector = sel_registerName(name);
  if (delegate && delegate->respondsToSelector(selector))
    msgSend<void, UIAlertView*, NSInteger>(delegate.get(), selector, this, NSInteger(buttonIndex));
}

void UIAlertView::dismissWithClickedButtonIndex(long buttonIndex, bool) {
  if (!visible_) return;
  Ref<UIAlertView> keep(this);
  visible_ = false;
  removeFromSuperview();
  {
    // Gone from the screen, so nothing holds it any more but whoever made it.
    std::lock_guard<std::mutex> hold(shownLock);
    auto& alerts = shown();
    std::erase_if(alerts, [this](const Ref<UIAlertView>& a) { return a.get() == this; });
  }
  tellDelegate("alertView:clickedButtonAtIndex:", buttonIndex);
  tellDelegate("alertView:didDismissWithButtonIndex:", buttonIndex);
}

void UIAlertView::buttonTapped(id self, SEL, id sender) {
  auto* alert = static_cast<UIAlertView*>(self);
  if (auto* button = dynamic_cast<UIButton*>(sender)) alert->dismissWithClickedButtonIndex(long(button->tag()), true);
}

std::vector<Ref<UIAlertView>> UIAlertViewVisibleAlerts() {
  std::lock_guard<std::mutex> hold(shownLock);
  return shown();
}

void UIAlertViewForgetVisibleAlerts() {
  std::lock_guard<std::mutex> hold(shownLock);
  shown().clear();
}
