// An immutable string of UTF-8 text, with the formatting and number conversions the system uses.
#pragma once

#include <cstdint>
#include <string>
#include <type_traits>
#include <utility>

#include "objc/NSObject.h"

enum NSComparisonResult { NSOrderedAscending = -1, NSOrderedSame = 0, NSOrderedDescending = 1 };
using NSStringCompareOptions = unsigned long;
inline constexpr NSStringCompareOptions NSNumericSearch = 64;

class NSString : public NSObject {
 public:
  explicit NSString(std::string text) : text_(std::move(text)) {}

  static Ref<NSString> stringWithUTF8String(const char* text) { return make<NSString>(text); }
  static Ref<NSString> stringWithString(std::string text) { return make<NSString>(std::move(text)); }

  // printf-style formatting as C's printf does it, plus "%@" for an object (its description; a
  // string gives its text, nil gives "(null)"). Strong references may be passed for "%@".
  template <class... Args>
  static Ref<NSString> stringWithFormat(const char* format, Args&&... args) {
    return stringWithFormatV(format, passed(std::forward<Args>(args))...);
  }

  const std::string& string() const { return text_; }
  const char* UTF8String() const { return text_.c_str(); }
  bool isEqualToString(const NSString* other) const { return other && text_ == other->text_; }

  // The leading decimal number: white space skipped, an optional sign, digits with an optional
  // fraction and exponent; parsing stops at the first character that cannot continue it. No
  // number gives 0; too large a number gives plus or minus HUGE_VAL.
  double doubleValue() const;
  // The leading decimal integer: white space skipped, an optional sign, then digits up to the
  // first other character ("1.9" gives 1). No digits give 0; beyond the int range gives
  // INT32_MAX or INT32_MIN.
  int32_t intValue() const;

  // Orders two strings by their bytes; with NSNumericSearch, runs of digits compare as numbers,
  // so "7.0.4" orders after "7.0" and "10.1" after "9.3" (how system versions are compared).
  NSComparisonResult compare(const NSString* other, NSStringCompareOptions options = 0) const;

 private:
  static Ref<NSString> stringWithFormatV(const char* format, ...);

  template <class T>
  static auto passed(T&& value) {
    using V = std::decay_t<T>;
    if constexpr (requires { value.get(); }) {
      return static_cast<const NSObject*>(value.get());
    } else {
      static_assert(std::is_arithmetic_v<V> || std::is_pointer_v<V> ||
                        std::is_null_pointer_v<V>,
                    "only numbers, pointers and object references can be formatted");
      return value;
    }
  }

  std::string text_;
};

// What "%@" prints for an object.
std::string NSObjectDescription(const NSObject* object);
