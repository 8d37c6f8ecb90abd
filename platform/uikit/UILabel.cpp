#include "uikit/UILabel.h"

#include <algorithm>

#include "uikit/UIKitPropertyTypes.h"

OBJC_CLASS_WITH_MEMBERS(UILabel, UIView)

void UILabel::registerMembers(Class cls) {
  class_addProperty(cls, "text", &UILabel::setText);
  class_addProperty(cls, "textColor", &UILabel::setTextColor);
  class_addProperty(cls, "fontSize", &UILabel::setFontSize);
  class_addProperty(cls, "boldFontSize", &UILabel::setBoldFontSize);
  class_addProperty(cls, "textAlignment", &UILabel::setAlignmentNumber);
  class_addProperty(cls, "numberOfLines", &UILabel::setNumberOfLines);
}

UILabel::UILabel() : UILabel(CGRectZero) {}
UILabel::UILabel(CGRect frame)
    : UIView(frame), font_(UIFont::systemFontOfSize(17)), textColor_(UIColor::blackColor()) {
  setUserInteractionEnabled(false);
}

void UILabel::setText(const std::string& text) {
  if (text == text_) return;
  text_ = text;
  setNeedsDisplay();
}

void UILabel::setFont(UIFont* font) {
  font_ = Ref<UIFont>(font ? font : UIFont::systemFontOfSize(17));
  setNeedsDisplay();
}

void UILabel::setTextColor(UIColor* color) {
  textColor_ = Ref<UIColor>(color ? color : UIColor::blackColor());
  setNeedsDisplay();
}

void UILabel::setTextAlignment(NSTextAlignment alignment) {
  alignment_ = alignment;
  setNeedsDisplay();
}

void UILabel::setNumberOfLines(NSInteger lines) {
  numberOfLines_ = std::max<NSInteger>(0, lines);
  setNeedsDisplay();
}

void UILabel::setLineBreakMode(NSLineBreakMode mode) {
  lineBreakMode_ = mode;
  setNeedsDisplay();
}

CGLineBreak CGLineBreakFromMode(NSLineBreakMode mode) {
  switch (mode) {
    case NSLineBreakMode::WordWrapping:
    case NSLineBreakMode::CharWrapping: return CGLineBreak::WordWrap;
    case NSLineBreakMode::Clipping: return CGLineBreak::Clip;
    case NSLineBreakMode::TruncatingHead: return CGLineBreak::TruncateHead;
    case NSLineBreakMode::TruncatingTail: return CGLineBreak::TruncateTail;
    case NSLineBreakMode::TruncatingMiddle: return CGLineBreak::TruncateMiddle;
  }
  return CGLineBreak::TruncateTail;
}

CGTextAlignment CGTextAlignmentFromNS(NSTextAlignment alignment) {
  switch (alignment) {
    case NSTextAlignment::Center: return CGTextAlignment::Center;
    case NSTextAlignment::Right: return CGTextAlignment::Right;
    case NSTextAlignment::Left: break;
  }
  return CGTextAlignment::Left;
}

void UILabel::drawText(CGContext& ctx, const std::string& text, CGRect rect, UIFont* font, UIColor* color,
                       NSTextAlignment alignment, NSLineBreakMode mode, NSInteger lines) {
  if (text.empty() || font == nullptr) return;
  const CGLineBreak lineBreak = CGLineBreakFromMode(mode);
  // As many lines as fit when the count is open.
  const double lineHeight = font->lineHeight();
  int maxLines = int(lines);
  if (maxLines == 0) {
    const double fit = rect.size.height / lineHeight;  // NaN or huge for degenerate geometry
    maxLines = fit >= 1 ? int(std::min(fit, 10000.0)) : 1;
  }
  const CGSize used = CGTextMeasure(text, font->cgFont(), rect.size.width, lineBreak, maxLines);
  const double top = rect.origin.y + std::max(0.0, (rect.size.height - used.height) / 2);
  ctx.setFillColor(color ? color->cgColor() : CGColor{0, 0, 0, 1});
  ctx.drawText(text, CGRectMake(rect.origin.x, top, rect.size.width, std::min(used.height, rect.size.height + lineHeight)),
               font->cgFont(), CGTextAlignmentFromNS(alignment), lineBreak, maxLines);
}

void UILabel::drawRect(CGContext& ctx, CGRect rect) {
  drawText(ctx, text_, rect, font_.get(), textColor_.get(), alignment_, lineBreakMode_, numberOfLines_);
}

CGSize UILabel::sizeThatFits(CGSize size) const {
  return CGTextMeasure(text_, font_->cgFont(), size.width > 0 ? size.width : 0, CGLineBreakFromMode(lineBreakMode_),
                       int(numberOfLines_));
}
