// A one-line text field: a control that edits its text from the keyboard while it is the first
// responder. A tap makes it first responder (editingDidBegin) with the insertion point after the
// text; typed text goes in at the insertion point (editingChanged), Backspace removes the
// character before it (a whole UTF-8 sequence), the arrows move it a character, Home and End to
// either end of the text (no event: the text did not change), and Return
// asks the delegate's textFieldShouldReturn: and, unless it answers NO, sends
// editingDidEndOnExit and gives up the keyboard (editingDidEnd), as the phone's keyboard does.
// While editing, a caret in the tint colour stands at the insertion point, kept in view.
//
// The delegate is held weakly and reached through the runtime, each operation optional:
//   textFieldShouldBeginEditing:  bool(id, SEL, id)
//   textFieldDidBeginEditing:     void(id, SEL, id)
//   textFieldShouldReturn:        bool(id, SEL, id)
//   textFieldDidEndEditing:       void(id, SEL, id)
#pragma once

#include <algorithm>
#include <string>

#include "uikit/UIControl.h"
#include "uikit/UIFont.h"
#include "uikit/UIResponder.h"

enum class UITextBorderStyle { None = 0, Line = 1, Bezel = 2, RoundedRect = 3 };

class UITextField : public UIControl, public UITextInput {
 public:
  static Class runtimeClass();  // "UITextField", a subclass of "UIControl"
  static void registerMembers(Class cls);
  UITextField();
  explicit UITextField(CGRect frame);

  const std::string& text() const { return text_; }
  void setText(const std::string& text);  // from code: sends no event; the insertion point goes to the end
  // The insertion point, in bytes of the UTF-8 text (always between two characters).
  size_t caretOffset() const { return caret_; }
  const std::string& placeholder() const { return placeholder_; }
  void setPlaceholder(const std::string& placeholder);
  UIFont* font() const { return font_.get(); }
  void setFont(UIFont* font);
  UIColor* textColor() const { return textColor_.get(); }
  void setTextColor(UIColor* color);
  UITextBorderStyle borderStyle() const { return borderStyle_; }
  void setBorderStyle(UITextBorderStyle style);
  NSObject* delegate() const { return delegate_.get(); }
  void setDelegate(NSObject* delegate) { delegate_ = Weak<NSObject>(delegate); }
  bool isEditing() const { return isFirstResponder(); }

  bool canBecomeFirstResponder() const override;
  bool becomeFirstResponder() override;

  // UIKeyInput.
  bool hasText() const override { return !text_.empty(); }
  void insertText(const std::string& text) override;  // "\n" is Return
  void deleteBackward() override;
  // UITextInput.
  void moveCaret(UITextCaretMove move) override;

  void touchesEnded(const std::set<UITouch*>& touches, UIEvent* event) override;
  void drawRect(CGContext& context, CGRect rect) override;

 protected:
  void didResignFirstResponder() override;

 private:
  void setBorderStyleNumber(long style) { setBorderStyle(UITextBorderStyle(std::clamp(style, 0L, 3L))); }
  void setFontSize(double size) { setFont(UIFont::systemFontOfSize(size)); }
  bool askDelegate(const char* selector, bool answerWhenSilent);
  void tellDelegate(const char* selector);
  void returnKey();
  void drawBorder(CGContext& context, CGRect rect) const;

  std::string text_;
  size_t caret_ = 0;
  std::string placeholder_;
  Ref<UIFont> font_;
  Ref<UIColor> textColor_;
  UITextBorderStyle borderStyle_ = UITextBorderStyle::None;
  Weak<NSObject> delegate_;
};
