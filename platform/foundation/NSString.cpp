#include "foundation/NSString.h"

#include <cxxabi.h>
#include <stdlib.h>

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <locale.h>
#include <memory>
#include <typeinfo>

#include "foundation/NSNumber.h"

namespace {

bool isSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The C locale, so the decimal point is "." whatever locale the process has set.
locale_t cLocale() {
  static locale_t locale = newlocale(LC_ALL_MASK, "C", nullptr);
  return locale;
}

}  // namespace

double NSString::doubleValue() const {
  const char* s = text_.c_str();
  while (isSpace(*s)) ++s;
  // Take only the decimal number strtod would read, so "inf", "nan" and hexadecimal give 0.
  const char* p = s;
  if (*p == '+' || *p == '-') ++p;
  const char* mantissa = p;
  while (isDigit(*p)) ++p;
  bool digits = p > mantissa;
  if (*p == '.') {
    ++p;
    while (isDigit(*p)) {
      ++p;
      digits = true;
    }
  }
  if (!digits) return 0.0;
  if (*p == 'e' || *p == 'E') {
    const char* e = p + 1;
    if (*e == '+' || *e == '-') ++e;
    if (isDigit(*e)) {
      while (isDigit(*e)) ++e;
      p = e;
    }
  }
  std::string number(s, p);
  return strtod_l(number.c_str(), nullptr, cLocale());
}

int32_t NSString::intValue() const {
  const char* s = text_.c_str();
  while (isSpace(*s)) ++s;
  bool negative = false;
  if (*s == '+' || *s == '-') negative = *s++ == '-';
  long long magnitude = 0;
  for (; isDigit(*s); ++s) {
    magnitude = magnitude * 10 + (*s - '0');
    if (magnitude > static_cast<long long>(INT32_MAX) + 1) return negative ? INT32_MIN : INT32_MAX;
  }
  long long value = negative ? -magnitude : magnitude;
  if (value > INT32_MAX) return INT32_MAX;
  return static_cast<int32_t>(value);
}

std::string NSObjectDescription(const NSObject* object) {
  if (!object) return "(null)";
  if (auto string = dynamic_cast<const NSString*>(object)) return string->string();
  if (auto number = dynamic_cast<const NSNumber*>(object)) return number->description();
  int status = 0;
  std::unique_ptr<char, decltype(&std::free)> name(
      abi::__cxa_demangle(typeid(*object).name(), nullptr, nullptr, &status), &std::free);
  char address[32];
  std::snprintf(address, sizeof address, "%p", static_cast<const void*>(object));
  return "<" + std::string(name ? name.get() : typeid(*object).name()) + ": " + address + ">";
}

NSComparisonResult NSString::compare(const NSString* other, NSStringCompareOptions options) const {
  const std::string& a = text_;
  const std::string b = other ? other->text_ : std::string();
  auto digit = [](char c) { return c >= '0' && c <= '9'; };
  size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if ((options & NSNumericSearch) && digit(a[i]) && digit(b[j])) {
      // Compare the two runs of digits as numbers: leading zeros aside, the longer is larger.
      size_t ei = i, ej = j;
      while (ei < a.size() && digit(a[ei])) ++ei;
      while (ej < b.size() && digit(b[ej])) ++ej;
      size_t si = i, sj = j;
      while (si + 1 < ei && a[si] == '0') ++si;
      while (sj + 1 < ej && b[sj] == '0') ++sj;
      if (ei - si != ej - sj) return ei - si < ej - sj ? NSOrderedAscending : NSOrderedDescending;
      const int c = a.compare(si, ei - si, b, sj, ej - sj);
      if (c != 0) return c < 0 ? NSOrderedAscending : NSOrderedDescending;
      i = ei;
      j = ej;
      continue;
    }
    if (a[i] != b[j]) return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[j]) ? NSOrderedAscending : NSOrderedDescending;
    ++i;
    ++j;
  }
  if (i == a.size() && j == b.size()) return NSOrderedSame;
  return i == a.size() ? NSOrderedAscending : NSOrderedDescending;
}
