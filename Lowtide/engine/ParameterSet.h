// The parameter set: the seven values the panel edits, the settings files keep and the engine
// runs on, and the two stage switches. Each row below is everything the system knows of one of
// them, so that the settings code, the panel, `tunely curve` and the tests read it from here.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

#include "Lowtide/engine/Equalizer.h"

namespace lowtide {

// The seven values, in the order a settings record lists them.
enum class Parameter : size_t { bassgain, bassfreq, bassintens, filtgain, filtfreq, filtbw, filttype };
inline constexpr size_t kParameterCount = 7;

struct ParameterRow {
  Parameter id;
  const char* key;               // its key in the settings files
  std::atomic<double>* real;     // the engine variable of a real value, else null
  std::atomic<int32_t>* whole;   // the engine variable of the whole-number one (the filter type)
  double initial;                // in a freshly loaded engine
  double reset;                  // what "Reset to defaults" sets
  double highest;                // the range is 0 to this: a settings file's value is limited to it
  const char* readOut;           // the panel's read-out as bound, formed in double precision
  const char* movedReadOut;      // after a move, formed in single precision from the slider
  float readOutScale;            // a read-out shows the value times this
  bool redesigns;                // a change recomputes the main section (the bass ones are read per sample)
  const char* meaning;           // in words, with its unit
};

inline constexpr std::array<ParameterRow, kParameterCount> kParameters = {{
    {Parameter::bassgain, "bassgain", &bassgain, nullptr, 0.0, 1.0, 1.5, "%.2f %%", "%.2f %%", 100.0f, false,
     "Bass boost gain, a factor"},
    {Parameter::bassfreq, "bassfreq", &bassfreq, nullptr, 0.0, 80.0, 200.0, "%.0f Hz", "%.2f Hz", 1.0f, false,
     "Bass boost frequency (its smoother's factor k)"},
    {Parameter::bassintens, "bassintens", &bassintens, nullptr, 0.0, 0.0, 10.0, "%.2f %%", "%.2f %%", 10.0f, false,
     "Bass boost intensity, a factor"},
    {Parameter::filtgain, "filtgain", &gain, nullptr, 1.0, 0.0, 24.0, "%.2f %%", "%.2f %%", 10.0f, true,
     "Filter gain, dB (the high shelf's)"},
    {Parameter::filtfreq, "filtfreq", &freq, nullptr, 80.0, 2222.0, 6000.0, "%.0f Hz", "%.0f Hz", 1.0f, true,
     "Filter frequency, Hz"},
    {Parameter::filtbw, "filtbw", &bandwidth, nullptr, 5.0, 5.0, 10.0, "%.2f %%", "%.2f %%", 10.0f, true,
     "Filter bandwidth, octaves (the low and high pass's)"},
    {Parameter::filttype, "filttype", nullptr, &eqType, 0.0, 2.0, 2.0, nullptr, nullptr, 1.0f, true,
     "Filter type"},
}};

constexpr const ParameterRow& parameterRow(Parameter p) { return kParameters[static_cast<size_t>(p)]; }

// The two stage switches.
struct SwitchRow {
  const char* name;
  std::atomic<bool>* variable;
  bool initial;
};
inline constexpr std::array<SwitchRow, 2> kSwitches = {{
    {"filter", &enabled, false},
    {"bass boost", &bassenabled, false},
}};

// The filter types the main section is designed as, by their code (the panel's segment index,
// the settings files' "filttype"). The panel offers the first three.
struct FilterTypeRow {
  int32_t code;
  const char* title;  // the panel's bar; null where it shows none
  const char* name;   // in a sentence's first place
};
inline constexpr std::array<FilterTypeRow, 4> kFilterTypes = {{
    {0, "Low Pass Filter", "Low pass"},
    {1, "High Pass Filter", "High pass"},
    {2, "High Shelf Filter", "High shelf"},
    {3, nullptr, "Peaking"},
}};

// The row of a filter type code; null for a code the engine does not design.
const FilterTypeRow* filterType(int32_t code);

// One value of each parameter (the filter type's a whole number).
struct ParameterValues {
  std::array<double, kParameterCount> values{};
  double& operator[](Parameter p) { return values[static_cast<size_t>(p)]; }
  double operator[](Parameter p) const { return values[static_cast<size_t>(p)]; }
  bool operator==(const ParameterValues&) const = default;
};

ParameterValues initialValues();
ParameterValues resetValues();

// The engine's parameters now (relaxed loads), and one of them.
double loadParameter(Parameter p);
ParameterValues loadParameters();
// Stores into the engine's parameters (relaxed stores; the filter type cut to a whole number),
// recomputing nothing.
void storeParameter(Parameter p, double value);
void storeParameters(const ParameterValues& values);
// Stores the seven values, then recomputes the main section once.
void applyParameters(const ParameterValues& values);

}  // namespace lowtide
