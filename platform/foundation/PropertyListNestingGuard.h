// A cheap look at encoded property-list bytes before libplist parses them: libplist builds and
// frees its tree recursively, so a file nested a few hundred thousand levels deep would overflow
// the stack inside the library. Refusing such input up front is the only place to stop it.
#pragma once

#include <cstddef>

// XML: false if elements nest deeper than maxDepth (comments, CDATA, declarations and processing
// instructions are skipped; malformed text may only over-count). Binary: false if the object
// table holds more objects than a tree of that size could safely hold, as a nesting chain could
// be that deep.
bool PropertyListNestingWithinLimit(const unsigned char* bytes, std::size_t size, int maxDepth);
