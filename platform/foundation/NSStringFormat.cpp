// stringWithFormat: each conversion of the format is handed, with its own argument, to the C
// library's snprintf, so numbers come out exactly as printf writes them; "%@" is handled here.
#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cwchar>

#include "foundation/NSString.h"

namespace {

// Formats one C conversion (without "*", which the caller has resolved) with one argument.
template <class T>
void appendFormatted(std::string& out, const std::string& cFormat, T value) {
  char small[128];
  int n = std::snprintf(small, sizeof small, cFormat.c_str(), value);
  if (n < 0) return;
  if (static_cast<std::size_t>(n) < sizeof small) {
    out.append(small, static_cast<std::size_t>(n));
    return;
  }
  std::string big(static_cast<std::size_t>(n) + 1, '\0');
  std::snprintf(big.data(), big.size(), cFormat.c_str(), value);
  out.append(big.data(), static_cast<std::size_t>(n));
}

void appendInteger(std::string& out, const std::string& cFormat, const std::string& length,
                   bool isSigned, va_list& args) {
  if (length == "ll" || length == "q" || length == "j") {
    if (isSigned) appendFormatted(out, cFormat, va_arg(args, long long));
    else appendFormatted(out, cFormat, va_arg(args, unsigned long long));
  } else if (length == "l" || length == "z" || length == "t") {
    if (isSigned) appendFormatted(out, cFormat, va_arg(args, long));
    else appendFormatted(out, cFormat, va_arg(args, unsigned long));
  } else {  // int and shorter are passed as int; the length letters narrow the output
    if (isSigned) appendFormatted(out, cFormat, va_arg(args, int));
    else appendFormatted(out, cFormat, va_arg(args, unsigned int));
  }
}

}  // namespace

Ref<NSString> NSString::stringWithFormatV(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string out;
  const char* p = format;
  while (*p) {
    if (*p != '%') {
      out += *p++;
      continue;
    }
    const char* start = p++;
    std::string cFormat = "%";
    while (*p && std::strchr("-+ #0'", *p)) cFormat += *p++;
    for (int part = 0; part < 2; ++part) {  // width, then precision
      if (part == 1) {
        if (*p != '.') break;
        cFormat += *p++;
      }
      if (*p == '*') {
        cFormat += std::to_string(va_arg(args, int));
        ++p;
      }
      while (*p >= '0' && *p <= '9') cFormat += *p++;
    }
    std::string length;
    while (*p && std::strchr("hljztLq", *p)) length += *p++;
    const char conversion = *p ? *p++ : '\0';
    // "q" is the BSD spelling of "ll"; the C library knows only the latter.
    cFormat += (length == "q" ? std::string("ll") : length);
    cFormat += conversion;
    switch (conversion) {
      case '%': out += '%'; break;
      case '@': out += NSObjectDescription(va_arg(args, const NSObject*)); break;
      case 'd': case 'i': appendInteger(out, cFormat, length, true, args); break;
      case 'u': case 'o': case 'x': case 'X': appendInteger(out, cFormat, length, false, args); break;
      case 'c':
        if (length == "l") appendFormatted(out, cFormat, va_arg(args, wint_t));
        else appendFormatted(out, cFormat, va_arg(args, int));
        break;
      case 's':
        if (length == "l") appendFormatted(out, cFormat, va_arg(args, const wchar_t*));
        else appendFormatted(out, cFormat, va_arg(args, const char*));
        break;
      case 'p': appendFormatted(out, cFormat, va_arg(args, void*)); break;
      case 'f': case 'F': case 'e': case 'E': case 'g': case 'G': case 'a': case 'A':
        if (length == "L") appendFormatted(out, cFormat, va_arg(args, long double));
        else appendFormatted(out, cFormat, va_arg(args, double));
        break;
      default:  // unknown conversions, "%n" among them, are copied as text and take no argument
        out.append(start, static_cast<std::size_t>(p - start));
        break;
    }
  }
  va_end(args);
  return make<NSString>(std::move(out));
}
