#include "host/cli/NumberRange.h"

#include <cstdio>

namespace host {

std::string formatNumber(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.15g", value);
  return text;
}

CLI::Validator numberRange(double lowest, double highest) {
  const std::string bounds = formatNumber(lowest) + " to " + formatNumber(highest);
  return CLI::Validator(
      [lowest, highest, bounds](std::string& text) -> std::string {
        double value = 0;
        if (!CLI::detail::lexical_cast(text, value)) return "Value " + text + " could not be converted";
        return value >= lowest && value <= highest ? std::string() : "Value " + text + " not in range " + bounds;
      },
      "[" + bounds + "]");
}

}  // namespace host
