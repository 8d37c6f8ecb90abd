// A number as property lists hold it: a boolean, a signed integer or a double.
#pragma once

#include <cstdint>
#include <string>

#include "objc/NSObject.h"

class NSNumber : public NSObject {
 public:
  enum class Kind { Boolean, Integer, Real };

  static Ref<NSNumber> numberWithBool(bool value) { return make<NSNumber>(Kind::Boolean, value, value); }
  static Ref<NSNumber> numberWithLongLong(long long value) {
    return make<NSNumber>(Kind::Integer, value, static_cast<double>(value));
  }
  static Ref<NSNumber> numberWithInt(int32_t value) { return numberWithLongLong(value); }
  static Ref<NSNumber> numberWithDouble(double value) { return make<NSNumber>(Kind::Real, 0, value); }

  NSNumber(Kind kind, long long integer, double real) : kind_(kind), integer_(integer), real_(real) {}

  Kind kind() const { return kind_; }
  double doubleValue() const { return real_; }
  long long longLongValue() const;
  // The integer part, limited to the int range (NaN gives 0).
  int32_t intValue() const;
  bool boolValue() const { return kind_ == Kind::Real ? real_ != 0.0 : integer_ != 0; }

  // Equal values compare equal whatever their kinds (1 equals 1.0), as Foundation's numbers do;
  // NaN equals NaN.
  bool isEqualToNumber(const NSNumber* other) const;
  std::string description() const;

 private:
  Kind kind_;
  long long integer_;
  double real_;
};
