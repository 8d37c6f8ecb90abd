// A command-line range check whose message and help write the bounds as people write numbers:
// "Value 9 not in range 1 to 4", "0 to 6000", "0.1 to 24", never "0.000000 to 6000.000000".
#pragma once

#include <CLI/CLI.hpp>
#include <string>

namespace host {

// The shortest text that reads back as `value` (up to 15 significant digits).
std::string formatNumber(double value);

CLI::Validator numberRange(double lowest, double highest);

}  // namespace host
