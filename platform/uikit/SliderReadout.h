// A label that reads out a slider's value: the value written with a printf-style format ("%+.1f
// dB"), shown at once and again after every change of the value, however it changed (a drag,
// code, a new range). Layout files make one with an element's "readout" key (see UINib.h).
#pragma once

#include <string>

class UILabel;
class UISlider;

// Why `format` cannot write a slider's value (empty: it can): it must hold exactly one
// conversion of a number, "%" with optional flags (-+ #0), a width and a precision of at most
// two digits each, then f, F, e, E, g or G; "%%" writes a percent sign; any other text is kept.
std::string sliderReadoutFormatRefusal(const std::string& format);

// The value as the read-out shows it; `format` must be one the check above accepts.
std::string sliderReadoutText(const std::string& format, float value);

// Shows the slider's value in the label now and after every change. The slider holds the label
// weakly: a label that is gone is simply no longer written.
void bindSliderReadout(UILabel* label, UISlider* slider, const std::string& format);
