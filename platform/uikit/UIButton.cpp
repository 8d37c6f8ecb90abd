#include "uikit/UIButton.h"

#include <algorithm>
#include <cmath>

#include "uikit/UIKitPropertyTypes.h"
#include "uikit/UILabel.h"

OBJC_CLASS_WITH_MEMBERS(UIButton, UIControl)

void UIButton::registerMembers(Class cls) {
  class_addProperty(cls, "buttonType", &UIButton::setTypeNumber);
  class_addProperty(cls, "title", &UIButton::setTitleForNormal);
  class_addProperty(cls, "titleColor", &UIButton::setTitleColorForNormal);
  class_addProperty(cls, "fontSize", &UIButton::setFontSize);
  class_addProperty(cls, "boldFontSize", &UIButton::setBoldFontSize);
}

Ref<UIButton> UIButton::buttonWithType(UIButtonType type) {
  Ref<UIButton> button = make<UIButton>();
  button->setButtonType(type);
  return button;
}

void UIButton::setButtonType(UIButtonType type) {
  type_ = type;
  setNeedsDisplay();
}

void UIButton::setImageForState(UIImage* image, UIControlState state) {
  if (image == nullptr) images_.erase(state);
  else images_[state] = Ref<UIImage>(image);
  setNeedsDisplay();
}

UIImage* UIButton::imageForState(UIControlState state) const {
  auto it = images_.find(state);
  return it == images_.end() ? nullptr : it->second.get();
}

void UIButton::setTitleForState(const std::string& title, UIControlState state) {
  titles_[state] = title;
  setNeedsDisplay();
}

std::string UIButton::titleForState(UIControlState state) const {
  auto it = titles_.find(state);
  return it == titles_.end() ? std::string() : it->second;
}

void UIButton::setTitleColorForState(UIColor* color, UIControlState state) {
  if (color == nullptr) titleColors_.erase(state);
  else titleColors_[state] = Ref<UIColor>(color);
  setNeedsDisplay();
}

UIColor* UIButton::titleColorForState(UIControlState state) const {
  auto it = titleColors_.find(state);
  return it == titleColors_.end() ? nullptr : it->second.get();
}

void UIButton::setTitleFont(UIFont* font) {
  font_ = Ref<UIFont>(font ? font : UIFont::systemFontOfSize(15));
  setNeedsDisplay();
}

std::string UIButton::currentTitle() const {
  auto it = titles_.find(state());
  if (it != titles_.end()) return it->second;
  return titleForState(UIControlStateNormal);
}

UIImage* UIButton::currentImage() const {
  if (UIImage* image = imageForState(state())) return image;
  return imageForState(UIControlStateNormal);
}

void UIButton::drawInfoGlyph(CGContext& ctx, CGRect rect, const CGColor& color) const {
  const double d = 22;
  const CGRect circle = CGRectMake(CGRectGetMidX(rect) - d / 2, CGRectGetMidY(rect) - d / 2, d, d);
  ctx.setStrokeColor(color);
  ctx.setLineWidth(1);
  ctx.strokeEllipseInRect(CGRectInset(circle, 0.5, 0.5));
  ctx.setFillColor(color);
  ctx.fillEllipseInRect(CGRectMake(CGRectGetMidX(circle) - 1.25, circle.origin.y + 5, 2.5, 2.5));
  ctx.fillRect(CGRectMake(CGRectGetMidX(circle) - 1, circle.origin.y + 9, 2, 8));
}

void UIButton::drawRect(CGContext& ctx, CGRect rect) {
  const bool system = type_ != UIButtonType::Custom;
  // A system button dims while highlighted or disabled, in the tint colour.
  CGColor color = tintColor()->cgColor();
  if (UIColor* own = titleColorForState(state()) ? titleColorForState(state()) : titleColorForState(UIControlStateNormal))
    color = own->cgColor();
  else if (!system)
    color = UIColor::whiteColor()->cgColor();
  if (!isEnabled()) color = CGColor{0.56, 0.56, 0.58, 1};
  if (system && isHighlighted()) color.alpha *= 0.2;

  if (type_ == UIButtonType::InfoLight || type_ == UIButtonType::InfoDark || type_ == UIButtonType::DetailDisclosure) {
    drawInfoGlyph(ctx, rect, color);
    return;
  }
  UIImage* image = currentImage();
  const std::string title = currentTitle();
  CGSize imageSize = image ? image->size() : CGSize{};
  // An image larger than the button is scaled down to fit, keeping its shape.
  if (image) {
    const double fit = std::min({1.0, rect.size.width / std::max(imageSize.width, 1.0),
                                 rect.size.height / std::max(imageSize.height, 1.0)});
    imageSize = CGSizeMake(imageSize.width * fit, imageSize.height * fit);
  }
  const CGSize textSize = title.empty() ? CGSize{} : CGTextMeasure(title, font_->cgFont(), 0, CGLineBreak::Clip, 1);
  const double gap = image && !title.empty() ? 4 : 0;
  const double total = std::min(rect.size.width, imageSize.width + gap + textSize.width);
  double x = rect.origin.x + (rect.size.width - total) / 2;
  if (image) {
    const CGRect at = CGRectMake(x, CGRectGetMidY(rect) - imageSize.height / 2, imageSize.width, imageSize.height);
    if (system) {
      // A system button draws its image as a template: its shape in the button's colour, so
      // it is tinted, dims and greys out as the title does.
      ctx.setFillColor(color);
      ctx.drawImageAsMask(at, image->cgImage());
    } else {
      if (isHighlighted()) ctx.beginTransparencyLayer();
      ctx.drawImage(at, image->cgImage());
      if (isHighlighted()) ctx.endTransparencyLayer(0.4);
    }
    x += imageSize.width + gap;
  }
  if (!title.empty()) {
    ctx.setFillColor(color);
    const double width = rect.origin.x + rect.size.width - x;
    ctx.drawText(title, CGRectMake(x, CGRectGetMidY(rect) - textSize.height / 2, width, textSize.height),
                 font_->cgFont(), CGTextAlignment::Left, CGLineBreak::TruncateMiddle, 1);
  }
}

CGSize UIButton::sizeThatFits(CGSize) const {
  const std::string title = titleForState(UIControlStateNormal);
  CGSize text = title.empty() ? CGSize{} : CGTextMeasure(title, font_->cgFont(), 0, CGLineBreak::Clip, 1);
  CGSize image = imageForState(UIControlStateNormal) ? imageForState(UIControlStateNormal)->size() : CGSize{};
  return CGSizeMake(text.width + image.width + 8, std::max({text.height, image.height, 30.0}));
}
