// A view that shows an image, scaled to fit its bounds with its proportions kept (aspect fit)
// and centred. Like the platform's, it lets touches through to the views behind it unless told
// otherwise (userInteractionEnabled is false).
#pragma once

#include <string>

#include "uikit/UIImage.h"
#include "uikit/UIView.h"

class UIImageView : public UIView {
 public:
  static Class runtimeClass();  // "UIImageView", a subclass of "UIView"
  static void registerMembers(Class cls);
  UIImageView();
  explicit UIImageView(CGRect frame);
  explicit UIImageView(UIImage* image);  // initWithImage: the frame takes the image's size

  UIImage* image() const { return image_.get(); }
  void setImage(UIImage* image);

  // Where the image is drawn in the bounds (empty without an image).
  CGRect imageRect() const;
  void drawRect(CGContext& context, CGRect rect) override;
  CGSize sizeThatFits(CGSize size) const override;

 private:
  // A layout names the image by its device path; a file that cannot be read leaves none.
  void setImageFile(const std::string& devicePath);

  Ref<UIImage> image_;
};
