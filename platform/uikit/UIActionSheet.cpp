#include "uikit/UIActionSheet.h"

#include <algorithm>

#include "uikit/UIFont.h"
#include "uikit/UIWindow.h"

OBJC_CLASS_WITH_MEMBERS(UIActionSheet, UIView)

namespace {

// iOS 7 on a phone: groups inset 8 points, 44-point rows, small grey title, rounded corners.
constexpr double kMargin = 8;
constexpr double kRowHeight = 44;
constexpr double kCornerRadius = 4;
constexpr double kTitlePadding = 14;
constexpr double kButtonFontSize = 20;
constexpr double kTitleFontSize = 13;
constexpr double kPresentDuration = 0.3;
const CGColor kGroupColor{0.98, 0.98, 0.98, 1};  // opaque: unblurred text showing through reads as a fault
const CGColor kSeparatorColor{0.8, 0.8, 0.82, 1};
const CGColor kTitleColor{0.43, 0.43, 0.45, 1};  // grey that reads at 4.5:1 on the sheet
UIColor* destructiveRed() {
  static UIColor* c = UIColor::colorWithRed(1, 0.231, 0.188, 1).detach();
  return c;
}
UIColor* dimmingColor() {
  static UIColor* c = UIColor::colorWithWhite(0, 0.4).detach();
  return c;
}
SEL buttonTappedSelector() {
  static SEL s = sel_registerName("_actionSheetButtonTapped:");
  return s;
}

}  // namespace

void UIActionSheet::registerMembers(Class cls) {
  class_addMethod(cls, buttonTappedSelector(), &UIActionSheet::buttonTapped, "v@:@");
}

UIActionSheet::UIActionSheet(const std::string& title, NSObject* delegate, const std::string& cancelButtonTitle,
                             const std::string& destructiveButtonTitle,
                             const std::vector<std::string>& otherButtonTitles)
    : title_(title), delegate_(delegate) {
  if (!destructiveButtonTitle.empty()) {
    destructiveIndex_ = NSInteger(titles_.size());
    titles_.push_back(destructiveButtonTitle);
  }
  for (const std::string& other : otherButtonTitles)
    if (!other.empty()) titles_.push_back(other);
  if (!cancelButtonTitle.empty()) {
    cancelIndex_ = NSInteger(titles_.size());
    titles_.push_back(cancelButtonTitle);
  }
}

void UIActionSheet::setTitle(const std::string& title) {
  title_ = title;
  setNeedsLayout();
}

NSInteger UIActionSheet::addButtonWithTitle(const std::string& title) {
  titles_.push_back(title);
  return NSInteger(titles_.size()) - 1;
}

std::string UIActionSheet::buttonTitleAtIndex(NSInteger index) const {
  if (index < 0 || index >= numberOfButtons()) return {};
  return titles_[size_t(index)];
}

void UIActionSheet::setCancelButtonIndex(NSInteger index) {
  cancelIndex_ = index >= 0 && index < numberOfButtons() ? index : -1;
}

void UIActionSheet::setDestructiveButtonIndex(NSInteger index) {
  destructiveIndex_ = index >= 0 && index < numberOfButtons() ? index : -1;
}

NSInteger UIActionSheet::firstOtherButtonIndex() const {
  for (NSInteger i = 0; i < numberOfButtons(); ++i)
    if (i != cancelIndex_ && i != destructiveIndex_) return i;
  return -1;
}

UIButton* UIActionSheet::buttonAtIndex(NSInteger index) const {
  if (index < 0 || size_t(index) >= buttons_.size()) return nullptr;
  return buttons_[size_t(index)].get();
}

// The main group holds the title and every button but the cancel one, in index order; the
// cancel button has a group of its own below it.
UIActionSheet::Layout UIActionSheet::layoutForWidth(double width) const {
  Layout layout;
  layout.buttonFrames.assign(titles_.size(), CGRectZero);
  const double groupWidth = std::max(0.0, width - 2 * kMargin);
  double y = 0;
  if (!title_.empty()) {
    const CGSize text = CGTextMeasure(title_, CGFontSpec{kTitleFontSize, false}, groupWidth - 2 * kTitlePadding,
                                      CGLineBreak::WordWrap, 0);
    const double height = std::max(kRowHeight, text.height + 2 * kTitlePadding);
    layout.titleArea = CGRectMake(kMargin, 0, groupWidth, height);
    y = height;
  }
  for (NSInteger i = 0; i < numberOfButtons(); ++i) {
    if (i == cancelIndex_) continue;
    layout.buttonFrames[size_t(i)] = CGRectMake(kMargin, y, groupWidth, kRowHeight);
    y += kRowHeight;
  }
  layout.mainGroup = CGRectMake(kMargin, 0, groupWidth, y);
  if (cancelIndex_ >= 0) {
    if (y > 0) y += kMargin;
    layout.cancelGroup = CGRectMake(kMargin, y, groupWidth, kRowHeight);
    layout.buttonFrames[size_t(cancelIndex_)] = layout.cancelGroup;
    y += kRowHeight;
  }
  layout.height = y + kMargin;
  return layout;
}

void UIActionSheet::makeButtons() {
  for (const Ref<UIButton>& button : buttons_) button->removeFromSuperview();
  buttons_.clear();
  for (NSInteger i = 0; i < numberOfButtons(); ++i) {
    Ref<UIButton> button = UIButton::buttonWithType(UIButtonType::System);
    button->setTitleForState(titles_[size_t(i)], UIControlStateNormal);
    button->setTitleFont(i == cancelIndex_ ? UIFont::boldSystemFontOfSize(kButtonFontSize)
                                           : UIFont::systemFontOfSize(kButtonFontSize));
    if (i == destructiveIndex_) button->setTitleColorForState(destructiveRed(), UIControlStateNormal);
    button->setTag(i);
    button->addTarget(this, buttonTappedSelector(), UIControlEventTouchUpInside);
    addSubview(button);
    buttons_.push_back(button);
  }
}

void UIActionSheet::showInView(UIView* view) {
  if (view == nullptr || isVisible()) return;
  UIView* cover = view->window();
  if (cover == nullptr)
    for (cover = view; cover->superview() != nullptr; cover = cover->superview()) {
    }
  const CGRect area = cover->bounds();
  Ref<UIActionSheet> keep(this);
  makeButtons();
  const Layout layout = layoutForWidth(area.size.width);

  dimmingView_ = make<UIView>(area);
  dimmingView_->setBackgroundColor(dimmingColor());
  dimmingView_->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
  dimmingView_->setAlpha(0);
  cover->addSubview(dimmingView_);

  setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleTopMargin);
  setFrame(CGRectMake(area.origin.x, CGRectGetMaxY(area), area.size.width, layout.height));
  cover->addSubview(this);
  layoutSubviews();
  Ref<UIView> dimming = dimmingView_;
  UIView::animateWithDuration(kPresentDuration, [&] {
    dimming->setAlpha(1);
    setFrame(CGRectMake(area.origin.x, CGRectGetMaxY(area) - layout.height, area.size.width, layout.height));
  });
}

void UIActionSheet::layoutSubviews() {
  const Layout layout = layoutForWidth(bounds().size.width);
  for (size_t i = 0; i < buttons_.size() && i < layout.buttonFrames.size(); ++i)
    buttons_[i]->setFrame(layout.buttonFrames[i]);
}

void UIActionSheet::drawRect(CGContext& ctx, CGRect) {
  const Layout layout = layoutForWidth(bounds().size.width);
  const double hairline = 1.0 / ctx.scale();
  ctx.setFillColor(kGroupColor);
  if (layout.mainGroup.size.height > 0) ctx.fillRoundedRect(layout.mainGroup, kCornerRadius);
  if (cancelIndex_ >= 0) ctx.fillRoundedRect(layout.cancelGroup, kCornerRadius);
  // Hairlines between the rows of the main group.
  ctx.setFillColor(kSeparatorColor);
  for (NSInteger i = 0; i < numberOfButtons(); ++i) {
    const CGRect f = layout.buttonFrames[size_t(i)];
    if (i == cancelIndex_ || f.origin.y <= layout.mainGroup.origin.y) continue;
    ctx.fillRect(CGRectMake(f.origin.x, f.origin.y - hairline / 2, f.size.width, hairline));
  }
  if (!title_.empty()) {
    ctx.setFillColor(kTitleColor);
    const CGRect text = CGRectInset(layout.titleArea, kTitlePadding, 0);
    const CGSize size = CGTextMeasure(title_, CGFontSpec{kTitleFontSize, false}, text.size.width, CGLineBreak::WordWrap, 0);
    ctx.drawText(title_, CGRectMake(text.origin.x, CGRectGetMidY(text) - size.height / 2, text.size.width, size.height),
                 CGFontSpec{kTitleFontSize, false}, CGTextAlignment::Center, CGLineBreak::WordWrap, 0);
  }
}

// Leaving the screen, however it happens, takes the dimming with the sheet.
void UIActionSheet::didMoveToSuperview() {
  if (superview() == nullptr && dimmingView_) {
    Ref<UIView> dimming = std::move(dimmingView_);
    dimming->removeFromSuperview();
  }
}

void UIActionSheet::tellDelegate(const char* name, NSInteger buttonIndex) {
  Ref<NSObject> delegate = delegate_.lock();
  SEL selector = sel_registerName(name);
  if (delegate && delegate->respondsToSelector(selector))
    msgSend<void, UIActionSheet*, NSInteger>(delegate.get(), selector, this, buttonIndex);
}

void UIActionSheet::dismiss(NSInteger buttonIndex, bool clicked) {
  if (!isVisible()) return;
  Ref<UIActionSheet> keep(this);
  tellDelegate("actionSheet:willDismissWithButtonIndex:", buttonIndex);
  removeFromSuperview();
  if (clicked) tellDelegate("actionSheet:clickedButtonAtIndex:", buttonIndex);
  tellDelegate("actionSheet:didDismissWithButtonIndex:", buttonIndex);
}

void UIActionSheet::dismissWithClickedButtonIndex(NSInteger buttonIndex, bool) { dismiss(buttonIndex, false); }

void UIActionSheet::buttonTapped(id self, SEL, id sender) {
  auto* sheet = static_cast<UIActionSheet*>(self);
  auto* button = dynamic_cast<UIButton*>(sender);
  if (button == nullptr) return;
  sheet->dismiss(button->tag(), true);
}
