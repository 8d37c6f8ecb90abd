// An object that can take part in event handling: touches travel up the responder chain (view,
// its view controller, its superview, ..., the window, the application) until one handles
// them; key presses go to the first responder.
#pragma once

#include <set>
#include <string>

#include "objc/runtime.h"

class UITouch;
class UIEvent;

class UIResponder : public NSObject {
 public:
  static Class runtimeClass();  // "UIResponder"

  virtual UIResponder* nextResponder() const { return nullptr; }

  virtual bool canBecomeFirstResponder() const { return false; }
  // Makes this the object key presses go to, telling the previous one to resign first.
  // Answers false when it cannot become (or the previous one would not resign).
  virtual bool becomeFirstResponder();
  virtual bool canResignFirstResponder() const { return true; }
  virtual bool resignFirstResponder();
  bool isFirstResponder() const;

  // Touch handling. The default passes the touches on to the next responder.
  virtual void touchesBegan(const std::set<UITouch*>& touches, UIEvent* event);
  virtual void touchesMoved(const std::set<UITouch*>& touches, UIEvent* event);
  virtual void touchesEnded(const std::set<UITouch*>& touches, UIEvent* event);
  virtual void touchesCancelled(const std::set<UITouch*>& touches, UIEvent* event);

 protected:
  // Called after this object stopped being the first responder.
  virtual void didResignFirstResponder() {}
};

// Typed input from the keyboard, for responders that edit text (UIKeyInput).
class UIKeyInput {
 public:
  virtual ~UIKeyInput() = default;
  virtual bool hasText() const = 0;
  virtual void insertText(const std::string& text) = 0;  // "\n" is the Return key
  virtual void deleteBackward() = 0;
};

// The hardware keyboard's arrow, Home and End keys: where the insertion point of text being
// edited goes. Moving it changes no text and sends no editing event.
enum class UITextCaretMove { Left, Right, Home, End };
class UITextInput : public UIKeyInput {
 public:
  virtual void moveCaret(UITextCaretMove move) = 0;
};
