#include "Lowtide/engine/ParameterSet.h"

namespace lowtide {
namespace {

constexpr auto relaxed = std::memory_order_relaxed;

// One column of the table as a record.
ParameterValues column(double ParameterRow::*field) {
  ParameterValues v;
  for (const ParameterRow& s : kParameters) v[s.id] = s.*field;
  return v;
}

}  // namespace

const FilterTypeRow* filterType(int32_t code) {
  for (const FilterTypeRow& type : kFilterTypes)
    if (type.code == code) return &type;
  return nullptr;
}

ParameterValues initialValues() { return column(&ParameterRow::initial); }
ParameterValues resetValues() { return column(&ParameterRow::reset); }

double loadParameter(Parameter p) {
  const ParameterRow& s = parameterRow(p);
  return s.real ? s.real->load(relaxed) : double(s.whole->load(relaxed));
}

ParameterValues loadParameters() {
  ParameterValues v;
  for (const ParameterRow& s : kParameters) v[s.id] = loadParameter(s.id);
  return v;
}

void storeParameter(Parameter p, double value) {
  const ParameterRow& s = parameterRow(p);
  if (s.real) s.real->store(value, relaxed);
  else s.whole->store(static_cast<int32_t>(value), relaxed);
}

void storeParameters(const ParameterValues& values) {
  for (const ParameterRow& s : kParameters) storeParameter(s.id, values[s.id]);
}

void applyParameters(const ParameterValues& values) {
  storeParameters(values);
  updateEq();
}

}  // namespace lowtide
