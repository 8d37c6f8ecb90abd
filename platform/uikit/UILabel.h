// A read-only text: one or more lines in a font and colour, aligned, centred vertically in the
// label's bounds, cut off with an ellipsis when it does not fit.
#pragma once

#include <algorithm>
#include <string>

#include "coregraphics/CGContext.h"
#include "uikit/UIFont.h"
#include "uikit/UIView.h"

enum class NSTextAlignment { Left = 0, Center = 1, Right = 2 };
enum class NSLineBreakMode { WordWrapping = 0, CharWrapping = 1, Clipping = 2, TruncatingHead = 3, TruncatingTail = 4, TruncatingMiddle = 5 };

class UILabel : public UIView {
 public:
  static Class runtimeClass();  // "UILabel"
  static void registerMembers(Class cls);
  UILabel();
  explicit UILabel(CGRect frame);

  const std::string& text() const { return text_; }
  void setText(const std::string& text);
  UIFont* font() const { return font_.get(); }
  void setFont(UIFont* font);
  UIColor* textColor() const { return textColor_.get(); }
  void setTextColor(UIColor* color);
  NSTextAlignment textAlignment() const { return alignment_; }
  void setTextAlignment(NSTextAlignment alignment);
  NSInteger numberOfLines() const { return numberOfLines_; }  // 0: as many as fit
  void setNumberOfLines(NSInteger lines);
  NSLineBreakMode lineBreakMode() const { return lineBreakMode_; }
  void setLineBreakMode(NSLineBreakMode mode);

  void drawRect(CGContext& context, CGRect rect) override;
  CGSize sizeThatFits(CGSize size) const override;

  // The text laid out in a rectangle: how the label (and views that show text like it) draws.
  static void drawText(CGContext& context, const std::string& text, CGRect rect, UIFont* font,
                       UIColor* color, NSTextAlignment alignment, NSLineBreakMode mode, NSInteger lines);

 private:
  void setFontSize(double size) { setFont(UIFont::systemFontOfSize(size)); }
  void setBoldFontSize(double size) { setFont(UIFont::boldSystemFontOfSize(size)); }
  void setAlignmentNumber(long value) { setTextAlignment(NSTextAlignment(std::clamp(value, 0L, 2L))); }

  std::string text_;
  Ref<UIFont> font_;
  Ref<UIColor> textColor_;
  NSTextAlignment alignment_ = NSTextAlignment::Left;
  NSInteger numberOfLines_ = 1;
  NSLineBreakMode lineBreakMode_ = NSLineBreakMode::TruncatingTail;
};

CGLineBreak CGLineBreakFromMode(NSLineBreakMode mode);
CGTextAlignment CGTextAlignmentFromNS(NSTextAlignment alignment);
