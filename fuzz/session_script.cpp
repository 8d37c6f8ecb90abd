// Arbitrary bytes as a session script. Beyond the sanitizers' checks it traps when:
//  - a refused script has no message, a line of it that does not start with the file's name,
//    or a control character of the script's text in it (what the user wrote is printed escaped);
//  - an accepted script holds a step with a time that is not finite or negative, earlier than
//    the step before it, or a line number outside the text.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "host/script/SessionScript.h"

namespace {
void require(bool condition) {
  if (!condition) __builtin_trap();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::string error;
  const auto script = host::parseSessionScript(text, "fuzz.script", error);
  if (!script) {
    for (size_t start = 0; start < error.size();) {
      require(error.compare(start, 12, "fuzz.script:") == 0);
      const size_t end = error.find('\n', start);
      if (end == std::string::npos) break;
      start = end + 1;
    }
    require(!error.empty());
    for (char c : error) require(static_cast<unsigned char>(c) >= 0x20 || c == '\n');
    return 0;
  }
  size_t lines = 1;
  for (char c : text) lines += c == '\n';
  double before = 0;
  for (const auto& step : script->steps) {
    require(std::isfinite(step.time) && step.time >= before);
    before = step.time;
    require(step.line >= 1 && size_t(step.line) <= lines);
  }
  return 0;
}
