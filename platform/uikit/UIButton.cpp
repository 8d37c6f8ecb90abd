#include "uikit/UIButton.h"

Class UIButton::runtimeClass() {
  static Class cls = objc_registerClass("UIButton", UIControl::runtimeClass());
  return cls;
}

UIButton::UIButton() { isa = runtimeClass(); }

void UIButton::setImageForState(UIImage* image, UIControlState state) {
  if (image == nullptr) images_.erase(state);
  else images_[state] = Ref<UIImage>(image);
}

UIImage* UIButton::imageForState(UIControlState state) const {
  auto it = images_.find(state);
  return it == images_.end() ? nullptr : it->second.get();
}

void UIButton::setTitleForState(const std::string& title, UIControlState state) {
  titles_[state] = title;
}

std::string UIButton::titleForState(UIControlState state) const {
  auto it = titles_.find(state);
  return it == titles_.end() ? std::string() : it->second;
}
