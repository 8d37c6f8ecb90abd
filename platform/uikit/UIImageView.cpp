#include "uikit/UIImageView.h"

#include <algorithm>

OBJC_CLASS_WITH_MEMBERS(UIImageView, UIView)

void UIImageView::registerMembers(Class cls) { class_addProperty(cls, "imageFile", &UIImageView::setImageFile); }

UIImageView::UIImageView() : UIImageView(CGRectZero) {}
UIImageView::UIImageView(CGRect frame) : UIView(frame) { setUserInteractionEnabled(false); }
UIImageView::UIImageView(UIImage* image)
    : UIImageView(image ? CGRect{CGPointZero, image->size()} : CGRectZero) {
  image_ = Ref<UIImage>(image);
}

void UIImageView::setImage(UIImage* image) {
  if (image == image_.get()) return;
  image_ = Ref<UIImage>(image);
  setNeedsDisplay();
}

void UIImageView::setImageFile(const std::string& devicePath) {
  Ref<UIImage> image = UIImage::imageWithContentsOfFile(devicePath);
  setImage(image.get());
}

CGRect UIImageView::imageRect() const {
  const CGRect b = bounds();
  if (!image_) return CGRectZero;
  const CGSize size = image_->size();
  if (size.width <= 0 || size.height <= 0) return CGRectZero;
  const double scale = std::min(b.size.width / size.width, b.size.height / size.height);
  const double w = size.width * scale, h = size.height * scale;
  return CGRectMake(CGRectGetMidX(b) - w / 2, CGRectGetMidY(b) - h / 2, w, h);
}

void UIImageView::drawRect(CGContext& ctx, CGRect) {
  const CGRect at = imageRect();
  if (!CGRectIsEmpty(at)) ctx.drawImage(at, image_->cgImage());
}

CGSize UIImageView::sizeThatFits(CGSize size) const { return image_ ? image_->size() : size; }
