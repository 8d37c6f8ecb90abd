#include "uikit/UIAlertView.h"

#include <cstdio>
#include <mutex>

namespace {

std::mutex shownLock;
std::vector<Ref<UIAlertView>>& shown() {
  static auto* alerts = new std::vector<Ref<UIAlertView>>;  // outlives static destruction
  return *alerts;
}

std::string text(const NSString* s) { return s ? s->string() : std::string(); }

// The message on one line: line breaks become " / ".
std::string oneLine(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == '\n') out += " / ";
    else if (c != '\r') out += c;
  }
  return out;
}

}  // namespace

UIAlertView::UIAlertView(Ref<NSString> title, Ref<NSString> message, UIAlertViewDelegate* delegate,
                         Ref<NSString> cancelButtonTitle, std::vector<Ref<NSString>> otherButtonTitles)
    : title_(std::move(title)),
      message_(std::move(message)),
      delegate_(delegate),
      cancelButtonTitle_(std::move(cancelButtonTitle)) {
  if (cancelButtonTitle_) buttons_.push_back(cancelButtonTitle_);
  for (auto& b : otherButtonTitles) {
    if (b) buttons_.push_back(std::move(b));
  }
}

NSString* UIAlertView::buttonTitleAtIndex(long index) const {
  if (index < 0 || index >= numberOfButtons()) return nullptr;
  return buttons_[static_cast<std::size_t>(index)].get();
}

void UIAlertView::show() {
  visible_ = true;
  {
    std::lock_guard<std::mutex> hold(shownLock);
    shown().push_back(Ref<UIAlertView>(this));
  }
  std::string buttons;
  for (const auto& b : buttons_) buttons += " [" + text(b) + "]";
  std::fprintf(stderr, "Alert \"%s\": %s%s\n", text(title_).c_str(),
               oneLine(text(message_)).c_str(), buttons.c_str());
}

void UIAlertView::dismissWithClickedButtonIndex(long buttonIndex, bool) {
  if (!visible_) return;
  visible_ = false;
  if (delegate_) delegate_->alertViewClickedButtonAtIndex(this, buttonIndex);
}

std::vector<Ref<UIAlertView>> UIAlertViewShownAlerts() {
  std::lock_guard<std::mutex> hold(shownLock);
  return shown();
}

void UIAlertViewClearShownAlerts() {
  std::lock_guard<std::mutex> hold(shownLock);
  shown().clear();
}
