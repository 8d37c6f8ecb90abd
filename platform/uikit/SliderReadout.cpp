#include "uikit/SliderReadout.h"

#include <cctype>
#include <cstring>

#include "foundation/NSString.h"
#include "uikit/UILabel.h"
#include "uikit/UISlider.h"

namespace {

bool isOneOf(char c, const char* set) { return c != '\0' && std::strchr(set, c) != nullptr; }

// Reads at most two digits; more would let a layout ask for a read-out of unbounded length.
bool skipSmallNumber(const std::string& format, size_t& i) {
  size_t digits = 0;
  while (i < format.size() && std::isdigit(static_cast<unsigned char>(format[i]))) ++i, ++digits;
  return digits <= 2;
}

}  // namespace

std::string sliderReadoutFormatRefusal(const std::string& format) {
  const std::string expected = "expected a format with one number conversion (%f, %e or %g), such as \"%.1f dB\"";
  int conversions = 0;
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%') continue;
    if (i + 1 < format.size() && format[i + 1] == '%') {
      ++i;
      continue;
    }
    const size_t start = i++;
    while (i < format.size() && isOneOf(format[i], "-+ #0")) ++i;
    bool small = skipSmallNumber(format, i);
    if (i < format.size() && format[i] == '.') small = skipSmallNumber(format, ++i) && small;
    if (!small) return "\"" + format.substr(start, i - start) + "\": a width or precision of more than two digits";
    if (i >= format.size() || !isOneOf(format[i], "fFeEgG"))
      return "\"" + format + "\": " + expected;
    ++conversions;
  }
  if (conversions != 1) return "\"" + format + "\": " + expected;
  return {};
}

std::string sliderReadoutText(const std::string& format, float value) {
  return NSString::stringWithFormat(format.c_str(), double(value))->string();
}

void bindSliderReadout(UILabel* label, UISlider* slider, const std::string& format) {
  label->setText(sliderReadoutText(format, slider->value()));
  Weak<UILabel> shown(label);
  slider->addValueObserver([shown, format](float value) {
    if (UILabel* target = shown.get()) target->setText(sliderReadoutText(format, value));
  });
}
