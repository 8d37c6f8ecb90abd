#include "host/player/MPButton.h"

namespace host {

Class MPButton::runtimeClass() {
  static Class cls = objc_registerClass("MPButton", UIButton::runtimeClass());
  return cls;
}

Ref<MPButton> MPButton::make(uint64_t part) {
  Ref<MPButton> button = objc_make<MPButton>(runtimeClass());
  button->part_ = part;
  return button;
}

}  // namespace host
