// The player's button. The controls view makes one per control part and wires its tap.
#pragma once

#include <cstdint>

#include "uikit/UIButton.h"

namespace host {

class MPButton : public UIButton {
 public:
  static Class runtimeClass();  // "MPButton", a subclass of "UIButton"
  static Ref<MPButton> make(uint64_t part);

  uint64_t part() const { return part_; }

 private:
  uint64_t part_ = 0;
};

}  // namespace host
