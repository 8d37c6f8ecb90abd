// Arbitrary bytes as a session script. Beyond the sanitizers' checks it traps when:
//  - a refused script has no message, or one that does not start with the file's name and line;
//  - an accepted script holds a step with a time that is not finite or negative, or a line
//    number outside the text.
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
    require(error.rfind("fuzz.script:", 0) == 0);
    return 0;
  }
  size_t lines = 1;
  for (char c : text) lines += c == '\n';
  for (const auto& step : script->steps) {
    require(std::isfinite(step.time) && step.time >= 0);
    require(step.line >= 1 && size_t(step.line) <= lines);
  }
  return 0;
}
