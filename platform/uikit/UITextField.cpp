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
  caret_ = text_.size();
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
  caret_ = text_.size();
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
  text_.insert(caret_, clean);
  caret_ += clean.size();
  setNeedsDisplay();
  sendActionsForControlEvents(UIControlEventEditingChanged);
}

void UITextField::deleteBackward() {
  if (caret_ == 0) return;
  Ref<UITextField> keep(this);
  size_t start = caret_ - 1;
  while (start > 0 && isContinuationByte(text_[start])) --start;
  text_.erase(start, caret_ - start);
  caret_ = start;
  setNeedsDisplay();
  sendActionsForControlEvents(UIControlEventEditingChanged);
}

void UITextField::moveCaret(UITextCaretMove move) {
  size_t to = caret_;
  switch (move) {
    case UITextCaretMove::Left:
      if (to > 0) --to;
      while (to > 0 && isContinuationByte(text_[to])) --to;
      break;
    case UITextCaretMove::Right:
      if (to < text_.size()) ++to;
      while (to < text_.size() && isContinuationByte(text_[to])) ++to;
      break;
    case UITextCaretMove::Home: to = 0; break;
    case UITextCaretMove::End: to = text_.size(); break;
  }
  if (to == caret_) return;
  caret_ = to;
  setNeedsDisplay();
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
  }
  // While editing, a long text moves left as far as the caret needs to stay in view.
  const double room = area.size.width - (editing ? kCaretWidth + 1 : 0);
  const double width = text_.empty() ? 0 : CGTextMeasure(text_, face, 0, CGLineBreak::Clip, 1).width;
  const double caretX = caret_ == text_.size() ? width
                        : caret_ == 0          ? 0
                                               : CGTextMeasure(text_.substr(0, caret_), face, 0, CGLineBreak::Clip, 1).width;
  const bool scrolled = editing && width > room && caretX > room;
  const double textX = scrolled ? area.origin.x + room - caretX : area.origin.x;
  if (!text_.empty()) {
    ctx.saveGState();
    ctx.clipToRect(area);
    ctx.setFillColor(textColor_->cgColor());
    if (editing && width > room)
      ctx.drawText(text_, CGRectMake(textX, top, width + 1, lineHeight), face,
                   CGTextAlignment::Left, CGLineBreak::Clip, 1);
    else
      ctx.drawText(text_, CGRectMake(area.origin.x, top, area.size.width, lineHeight), face, CGTextAlignment::Left,
                   editing ? CGLineBreak::Clip : CGLineBreak::TruncateTail, 1);
    ctx.restoreGState();
  }
  if (editing) {
    const double x = area.origin.x + std::min((scrolled ? room : caretX) + 1, area.size.width - kCaretWidth);
    ctx.setFillColor(tintColor()->cgColor());
    ctx.fillRect(CGRectMake(x, top + 1, kCaretWidth, lineHeight - 2));
  }
}
