#include "uikit/UITextField.h"

#include <algorithm>

#include "uikit/UIKitPropertyTypes.h"
#include "uikit/UITouch.h"

OBJC_CLASS_WITH_MEMBERS(UITextField, UIControl)

namespace {
// iOS 7: the placeholder's grey, the rounded rectangle's border, the text's inset from the edge.
const CGColor kPlaceholderColor{0.78, 0.78, 0.8, 1};
const CGColor kRoundedBorderColor{0.8, 0.8, 0.8, 1};
constexpr double kRoundedRadius = 5;
constexpr double kTextInset = 7;
constexpr double kCaretWidth = 2;

// Whether a byte continues a UTF-8 sequence rather than starting one.
bool isContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }
}  // namespace

void UITextField::registerMembers(Class cls) {
  class_addProperty(cls, "text", &UITextField::setText);
  class_addProperty(cls, "placeholder", &UITextField::setPlaceholder);
  class_addProperty(cls, "borderStyle", &UITextField::setBorderStyleNumber);
  class_addProperty(cls, "fontSize", &UITextField::setFontSize);
  class_addProperty(cls, "textColor", &UITextField::setTextColor);
  class_addOutlet(cls, "delegate", &UITextField::setDelegate);
}

UITextField::UITextField() : UITextField(CGRectZero) {}
UITextField::UITextField(CGRect frame)
    : UIControl(frame), font_(UIFont::systemFontOfSize(17)), textColor_(UIColor::blackColor()) {}

void UITextField::setText(const std::string& text) {
  if (text == text_) return;
  text_ = text;
  setNeedsDisplay();
}

void UITextField::setPlaceholder(const std::string& placeholder) {
  placeholder_ = placeholder;
  setNeedsDisplay();
}

void UITextField::setFont(UIFont* font) {
  font_ = Ref<UIFont>(font ? font : UIFont::systemFontOfSize(17));
  setNeedsDisplay();
}

void UITextField::setTextColor(UIColor* color) {
  textColor_ = Ref<UIColor>(color ? color : UIColor::blackColor());
  setNeedsDisplay();
}

void UITextField::setBorderStyle(UITextBorderStyle style) {
  borderStyle_ = style;
  setNeedsDisplay();
}

// The delegate.

bool UITextField::askDelegate(const char* name, bool answerWhenSilent) {
  Ref<NSObject> delegate = delegate_.lock();
  SEL selector = sel_registerName(name);
  if (!delegate || !delegate->respondsToSelector(selector)) return answerWhenSilent;
  return msgSend<bool>(delegate.get(), selector, this);
}

void UITextField::tellDelegate(const char* name) {
  Ref<NSObject> delegate = delegate_.lock();
  SEL selector = sel_registerName(name);
  if (delegate && delegate->respondsToSelector(selector)) msgSend<void>(delegate.get(), selector, this);
}

// Editing.

bool UITextField::canBecomeFirstResponder() const { return isEnabled(); }

bool UITextField::becomeFirstResponder() {
  if (isFirstResponder()) return true;
  if (!canBecomeFirstResponder()) return false;
  Ref<UITextField> keep(this);
  if (!askDelegate("textFieldShouldBeginEditing:", true)) return false;
  if (!UIControl::becomeFirstResponder()) return false;
  setNeedsDisplay();
  sendActionsForControlEvents(UIControlEventEditingDidBegin);
  tellDelegate("textFieldDidBeginEditing:");
  return true;
}

void UITextField::didResignFirstResponder() {
  Ref<UITextField> keep(this);
  setNeedsDisplay();
  sendActionsForControlEvents(UIControlEventEditingDidEnd);
  tellDelegate("textFieldDidEndEditing:");
}

void UITextField::touchesEnded(const std::set<UITouch*>& touches, UIEvent* event) {
  Ref<UITextField> keep(this);
  const bool inside = !touches.empty() && isInsideWhileTracking((*touches.begin())->locationInView(this));
  UIControl::touchesEnded(touches, event);
  if (inside && isEnabled()) becomeFirstResponder();
}

void UITextField::insertText(const std::string& typed) {
  if (typed == "\n") {
    returnKey();
    return;
  }
  // One line: line breaks typed or pasted are dropped.
  std::string clean;
  std::copy_if(typed.begin(), typed.end(), std::back_inserter(clean), [](char c) { return c != '\n' && c != '\r'; });
  if (clean.empty()) return;
  Ref<UITextField> keep(this);
  text_ += clean;
  setNeedsDisplay();
  sendActionsForControlEvents(UIControlEventEditingChanged);
}

void UITextField::deleteBackward() {
  if (text_.empty()) return;
  Ref<UITextField> keep(this);
  size_t end = text_.size() - 1;
  while (end > 0 && isContinuationByte(text_[end])) --end;
  text_.erase(end);
  setNeedsDisplay();
  sendActionsForControlEvents(UIControlEventEditingChanged);
}

void UITextField::returnKey() {
  Ref<UITextField> keep(this);
  if (!askDelegate("textFieldShouldReturn:", true)) return;
  sendActionsForControlEvents(UIControlEventEditingDidEndOnExit);
  resignFirstResponder();
}

// Drawing.

void UITextField::drawBorder(CGContext& ctx, CGRect rect) const {
  const double hairline = 1.0 / ctx.scale();
  switch (borderStyle_) {
    case UITextBorderStyle::None: break;
    case UITextBorderStyle::Line:
      ctx.setStrokeColor(CGColor{0, 0, 0, 1});
      ctx.setLineWidth(1);
      ctx.strokeRect(CGRectInset(rect, 0.5, 0.5));
      break;
    case UITextBorderStyle::Bezel:
      // A sunken edge: darker along the top and left.
      ctx.setFillColor(CGColor{1, 1, 1, 1});
      ctx.fillRect(rect);
      ctx.setFillColor(CGColor{0.45, 0.45, 0.45, 1});
      ctx.fillRect(CGRectMake(rect.origin.x, rect.origin.y, rect.size.width, 1));
      ctx.fillRect(CGRectMake(rect.origin.x, rect.origin.y, 1, rect.size.height));
      ctx.setFillColor(CGColor{0.75, 0.75, 0.75, 1});
      ctx.fillRect(CGRectMake(rect.origin.x, CGRectGetMaxY(rect) - 1, rect.size.width, 1));
      ctx.fillRect(CGRectMake(CGRectGetMaxX(rect) - 1, rect.origin.y, 1, rect.size.height));
      break;
    case UITextBorderStyle::RoundedRect:
      ctx.setFillColor(CGColor{1, 1, 1, 1});
      ctx.fillRoundedRect(rect, kRoundedRadius);
      ctx.setStrokeColor(kRoundedBorderColor);
      ctx.setLineWidth(hairline);
      ctx.strokeRoundedRect(CGRectInset(rect, hairline / 2, hairline / 2), kRoundedRadius);
      break;
  }
}

void UITextField::drawRect(CGContext& ctx, CGRect rect) {
  drawBorder(ctx, rect);
  const double inset = borderStyle_ == UITextBorderStyle::None ? 0 : kTextInset;
  const CGRect area = CGRectInset(rect, inset, 0);
  if (area.size.width <= 0) return;
  const CGFontSpec& face = font_->cgFont();
  const double lineHeight = font_->lineHeight();
  const double top = CGRectGetMidY(rect) - lineHeight / 2;
  const bool editing = isFirstResponder();

  if (text_.empty()) {
    if (!placeholder_.empty()) {
      ctx.setFillColor(kPlaceholderColor);
      ctx.drawText(placeholder_, CGRectMake(area.origin.x, top, area.size.width, lineHeight), face,
                   CGTextAlignment::Left, CGLineBreak::TruncateTail, 1);
    }
  } else {
    // While editing, the end of a long text stays in view next to the caret.
    const double room = area.size.width - (editing ? kCaretWidth + 1 : 0);
    const double width = CGTextMeasure(text_, face, 0, CGLineBreak::Clip, 1).width;
    ctx.saveGState();
    ctx.clipToRect(area);
    ctx.setFillColor(textColor_->cgColor());
    if (editing && width > room)
      ctx.drawText(text_, CGRectMake(area.origin.x + room - width, top, width + 1, lineHeight), face,
                   CGTextAlignment::Left, CGLineBreak::Clip, 1);
    else
      ctx.drawText(text_, CGRectMake(area.origin.x, top, area.size.width, lineHeight), face, CGTextAlignment::Left,
                   editing ? CGLineBreak::Clip : CGLineBreak::TruncateTail, 1);
    ctx.restoreGState();
  }
  if (editing) {
    const double textWidth = text_.empty() ? 0 : CGTextMeasure(text_, face, 0, CGLineBreak::Clip, 1).width;
    const double x = area.origin.x + std::min(textWidth + 1, area.size.width - kCaretWidth);
    ctx.setFillColor(tintColor()->cgColor());
    ctx.fillRect(CGRectMake(x, top + 1, kCaretWidth, lineHeight - 2));
  }
}
