#include "host/media/PlayQueue.h"

#include <cstdio>

namespace host {

void reportUnplayable(const std::string& path, const std::string& why) {
  std::fprintf(stderr, "tunely: cannot play \"%s\": %s\n", path.c_str(), why.c_str());
}

}  // namespace host
