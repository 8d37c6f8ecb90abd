#include "uikit/UINavigationBar.h"

#include <algorithm>
#include <cmath>

#include "uikit/UIButton.h"
#include "uikit/UIFont.h"
#include "uikit/UIKitPropertyTypes.h"

OBJC_CLASS_WITH_MEMBERS(UINavigationBar, UIView)

namespace {

constexpr double kRowHeight = 44;
constexpr double kEdgeMargin = 6;
constexpr double kTitleMargin = 8;  // between the title and the items beside it
constexpr double kChevronWidth = 12;

SEL backSelector() {
  static SEL sel = sel_registerName("_backButtonTapped:");
  return sel;
}

UIFont* titleFont() { return UIFont::boldSystemFontOfSize(17); }

// The back button: a chevron pointing left, then the title of the item it goes back to.
class BackButton : public UIButton {
 public:
  void drawRect(CGContext& ctx, CGRect rect) override {
    CGColor color = tintColor()->cgColor();
    if (isHighlighted()) color.alpha *= 0.2;
    const double midY = CGRectGetMidY(rect);
    const double x = rect.origin.x + 4;
    ctx.setStrokeColor(color);
    ctx.setLineWidth(3);
    ctx.beginPath();
    ctx.moveToPoint(x + kChevronWidth - 3, midY - 10);
    ctx.addLineToPoint(x + 1.5, midY);
    ctx.addLineToPoint(x + kChevronWidth - 3, midY + 10);
    ctx.strokePath();
    const std::string title = currentTitle();
    if (title.empty()) return;
    const CGFontSpec font = UIFont::systemFontOfSize(17)->cgFont();
    const CGSize size = CGTextMeasure(title, font, 0, CGLineBreak::Clip, 1);
    const double textX = x + kChevronWidth + 4;
    ctx.setFillColor(color);
    ctx.drawText(title, CGRectMake(textX, midY - size.height / 2, rect.origin.x + rect.size.width - textX, size.height),
                 font, CGTextAlignment::Left, CGLineBreak::TruncateTail, 1);
  }
  double preferredWidth() const {
    const std::string title = currentTitle();
    const double text = title.empty() ? 0 : CGTextMeasure(title, UIFont::systemFontOfSize(17)->cgFont(), 0, CGLineBreak::Clip, 1).width;
    return 4 + kChevronWidth + 4 + text + 6;
  }
};

}  // namespace

void UINavigationBar::registerMembers(Class cls) {
  class_addMethod(cls, backSelector(), &UINavigationBar::backButtonTapped, "v@:@");
  class_addObjectList(cls, "items", &UINavigationBar::setItems);
  class_addProperty(cls, "barStyle", &UINavigationBar::setBarStyle);
  class_addProperty(cls, "barTintColor", &UINavigationBar::setBarTintColor);
  class_addProperty(cls, "translucent", &UINavigationBar::setTranslucent);
}

void UINavigationBar::attachItem(UINavigationItem* item) { item->setNavigationBar(this); }

void UINavigationBar::detachItem(UINavigationItem* item) {
  if (item->navigationBar() == this) item->setNavigationBar(nullptr);
}

void UINavigationBar::setItems(const std::vector<Ref<UINavigationItem>>& items) {
  for (const Ref<UINavigationItem>& item : items_) detachItem(item.get());
  items_ = items;
  for (const Ref<UINavigationItem>& item : items_) attachItem(item.get());
  setNeedsLayout();
}

void UINavigationBar::pushNavigationItem(UINavigationItem* item, bool) {
  if (item == nullptr) return;
  items_.push_back(Ref<UINavigationItem>(item));
  attachItem(item);
  setNeedsLayout();
}

Ref<UINavigationItem> UINavigationBar::popNavigationItemAnimated(bool) {
  if (items_.empty()) return nullptr;
  Ref<UINavigationItem> top = items_.back();
  items_.pop_back();
  detachItem(top.get());
  setNeedsLayout();
  return top;
}

void UINavigationBar::setBarStyle(NSInteger style) {
  barStyle_ = std::clamp<NSInteger>(style, UIBarStyleDefault, UIBarStyleBlackTranslucent);
  setNeedsDisplay();
}

void UINavigationBar::setBarTintColor(UIColor* color) {
  barTintColor_ = Ref<UIColor>(color);
  setNeedsDisplay();
}

void UINavigationBar::setTranslucent(bool translucent) {
  translucent_ = translucent;
  setNeedsDisplay();
}

UIButton* UINavigationBar::backButton() const {
  return backButton_ && backButton_->superview() == this ? backButton_.get() : nullptr;
}

void UINavigationBar::backButtonTapped(id self, SEL, id) {
  static_cast<UINavigationBar*>(self)->popNavigationItemAnimated(true);
}

// The items sit in the bottom 44 points (a taller bar reaches up under the status bar).
CGRect UINavigationBar::itemRow() const {
  const CGRect b = bounds();
  const double height = std::min(kRowHeight, b.size.height);
  return CGRectMake(b.origin.x + kEdgeMargin, b.origin.y + b.size.height - height,
                    std::max(0.0, b.size.width - 2 * kEdgeMargin), height);
}

void UINavigationBar::layoutSubviews() {
  const CGRect row = itemRow();
  UINavigationItem* top = topItem();
  double left = row.origin.x, right = row.origin.x + row.size.width;
  if (top != nullptr && !top->leftBarButtonItems().empty()) {
    const CGRect span = arranger_.place(this, top->leftBarButtonItems(), row, false);
    left = span.origin.x + span.size.width;
  } else if (UINavigationItem* back = backItem(); back != nullptr && !top->hidesBackButton()) {
    if (!backButton_) {
      backButton_ = make<BackButton>();
      backButton_->setButtonType(UIButtonType::System);
      backButton_->addTarget(this, backSelector(), UIControlEventTouchUpInside);
    }
    backButton_->setTitleForState(back->title().empty() ? "Back" : back->title(), UIControlStateNormal);
    const double width = std::min(static_cast<BackButton*>(backButton_.get())->preferredWidth(), row.size.width / 2.5);
    if (backButton_->superview() != this) addSubview(backButton_.get());
    backButton_->setFrame(CGRectMake(row.origin.x, row.origin.y, width, row.size.height));
    arranger_.keep(backButton_.get());
    left = row.origin.x + width;
  }
  if (top != nullptr && !top->rightBarButtonItems().empty()) {
    const CGRect span = arranger_.place(this, top->rightBarButtonItems(), row, true);
    right = span.origin.x;
  }
  arranger_.finish(this);
  titleLeft_ = left + kTitleMargin;
  titleRight_ = right - kTitleMargin;
}

void UINavigationBar::drawRect(CGContext& ctx, CGRect) {
  const CGRect b = bounds();
  UIBarDrawMaterial(ctx, b, barStyle_, barTintColor_.get(), translucent_, &blurCache_);
  UIBarDrawHairline(ctx, b, false, barStyle_);
  UINavigationItem* top = topItem();
  if (top == nullptr || top->title().empty() || titleRight_ <= titleLeft_) return;
  // Centred on the bar, moved aside (and then shortened) where the items leave it less room.
  const CGFontSpec font = titleFont()->cgFont();
  const CGSize size = CGTextMeasure(top->title(), font, 0, CGLineBreak::Clip, 1);
  const double width = std::min(size.width, titleRight_ - titleLeft_);
  double x = CGRectGetMidX(b) - width / 2;
  x = std::clamp(x, titleLeft_, titleRight_ - width);
  const CGRect row = itemRow();
  ctx.setFillColor(UIBarTextColor(barStyle_));
  ctx.drawText(top->title(), CGRectMake(x, CGRectGetMidY(row) - size.height / 2, width, size.height), font,
               CGTextAlignment::Center, CGLineBreak::TruncateTail, 1);
}
