#include "host/player/MPButton.h"

namespace host {

OBJC_CLASS(MPButton, UIButton)

Ref<MPButton> MPButton::make(uint64_t part) {
  Ref<MPButton> button = objc_make<MPButton>(runtimeClass());
  button->part_ = part;
  return button;
}

}  // namespace host
