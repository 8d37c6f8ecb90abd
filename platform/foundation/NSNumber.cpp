#include "foundation/NSNumber.h"

#include <climits>
#include <cmath>
#include <cstdio>

namespace {

// A double cut to its integer part and limited to [lo, hi]; NaN gives 0. Converting an
// out-of-range double straight to an integer type is undefined, hence the limits first.
template <class T>
T truncated(double value, T lo, T hi) {
  if (std::isnan(value)) return 0;
  if (value <= static_cast<double>(lo)) return lo;
  if (value >= static_cast<double>(hi)) return hi;
  return static_cast<T>(value);
}

}  // namespace

long long NSNumber::longLongValue() const {
  return kind_ == Kind::Real ? truncated<long long>(real_, LLONG_MIN, LLONG_MAX) : integer_;
}

int32_t NSNumber::intValue() const {
  if (kind_ == Kind::Real) return truncated<int32_t>(real_, INT32_MIN, INT32_MAX);
  if (integer_ < INT32_MIN) return INT32_MIN;
  if (integer_ > INT32_MAX) return INT32_MAX;
  return static_cast<int32_t>(integer_);
}

bool NSNumber::isEqualToNumber(const NSNumber* other) const {
  if (!other) return false;
  if (kind_ != Kind::Real && other->kind_ != Kind::Real) return integer_ == other->integer_;
  // An integer and a real are equal only if the real is exactly that integer.
  if (kind_ != Kind::Real) return other->real_ == real_ && other->longLongValue() == integer_;
  if (other->kind_ != Kind::Real) return real_ == other->real_ && longLongValue() == other->integer_;
  return real_ == other->real_ || (std::isnan(real_) && std::isnan(other->real_));
}

std::string NSNumber::description() const {
  char text[64];
  if (kind_ == Kind::Real) std::snprintf(text, sizeof text, "%.17g", real_);
  else std::snprintf(text, sizeof text, "%lld", integer_);
  return text;
}
