// The player's button. The controls view makes one per control part and wires its tap. The
// transport buttons draw their symbol (play, pause, previous, next) in the tint colour instead of
// a title.
#pragma once

#include <cstdint>

#include "uikit/UIButton.h"

namespace host {

enum class TransportGlyph { None, Play, Pause, Previous, Next };

class MPButton : public UIButton {
 public:
  static Class runtimeClass();  // "MPButton", a subclass of "UIButton"
  static Ref<MPButton> make(uint64_t part);

  uint64_t part() const { return part_; }
  TransportGlyph glyph() const { return glyph_; }
  void setGlyph(TransportGlyph glyph);

  void drawRect(CGContext& context, CGRect rect) override;

 private:
  uint64_t part_ = 0;
  TransportGlyph glyph_ = TransportGlyph::None;
};

}  // namespace host
