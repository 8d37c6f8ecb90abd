// A button: a title and an image per control state, highlighted while a finger is on it. A
// system button draws its title in the tint colour, fading while highlighted; an info button
// draws the circled "i".
#pragma once

#include <algorithm>
#include <map>
#include <string>

#include "uikit/UIControl.h"
#include "uikit/UIFont.h"
#include "uikit/UIImage.h"

enum class UIButtonType { Custom = 0, System = 1, DetailDisclosure = 2, InfoLight = 3, InfoDark = 4, ContactAdd = 5 };

class UIButton : public UIControl {
 public:
  static Class runtimeClass();  // "UIButton", a subclass of "UIControl"
  static void registerMembers(Class cls);
  static Ref<UIButton> buttonWithType(UIButtonType type);
  UIButton() = default;

  UIButtonType buttonType() const { return type_; }
  void setButtonType(UIButtonType type);

  void setImageForState(UIImage* image, UIControlState state);  // nil removes it
  UIImage* imageForState(UIControlState state) const;
  void setTitleForState(const std::string& title, UIControlState state);
  std::string titleForState(UIControlState state) const;  // empty if none
  void setTitleColorForState(UIColor* color, UIControlState state);
  UIColor* titleColorForState(UIControlState state) const;  // nil if none
  // What shows now: the entry for the current state, else the normal one.
  std::string currentTitle() const;
  UIImage* currentImage() const;
  UIFont* titleFont() const { return font_.get(); }
  void setTitleFont(UIFont* font);

  void drawRect(CGContext& context, CGRect rect) override;
  CGSize sizeThatFits(CGSize size) const override;

  // A tap as the player's code makes one: the touch-up-inside actions run.
  void tap() { sendActionsForControlEvents(UIControlEventTouchUpInside); }

 private:
  void setTitleForNormal(const std::string& title) { setTitleForState(title, UIControlStateNormal); }
  void setTitleColorForNormal(UIColor* color) { setTitleColorForState(color, UIControlStateNormal); }
  void setTypeNumber(long type) { setButtonType(UIButtonType(std::clamp(type, 0L, 5L))); }
  void setFontSize(double size) { setTitleFont(UIFont::systemFontOfSize(size)); }
  void setBoldFontSize(double size) { setTitleFont(UIFont::boldSystemFontOfSize(size)); }
  void drawInfoGlyph(CGContext& context, CGRect rect, const CGColor& color) const;

  UIButtonType type_ = UIButtonType::Custom;
  std::map<UIControlState, Ref<UIImage>> images_;
  std::map<UIControlState, std::string> titles_;
  std::map<UIControlState, Ref<UIColor>> titleColors_;
  Ref<UIFont> font_{UIFont::systemFontOfSize(15)};
};
