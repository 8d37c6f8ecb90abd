// Which text a property list can hold. The libplist writers take text as C strings, so a NUL would
// cut it short, and copy bytes that are not UTF-8 into the file; XML moreover cannot hold most
// control characters at all (a strict reader refuses the whole file).
#pragma once

#include <string>
#include <string_view>

#include "foundation/NSPropertyListSerialization.h"

// Empty if `text` can be written in `format` and read back unchanged; otherwise what stands in
// the way, such as "the control character U+001B".
std::string PropertyListTextProblem(std::string_view text, NSPropertyListFormat format);
