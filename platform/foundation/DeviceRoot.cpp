#include "foundation/DeviceRoot.h"

namespace {
std::string& root() {
  static std::string folder = ".";
  return folder;
}
}  // namespace

void DeviceRootSet(const std::string& folder) {
  std::string f = folder;
  while (f.size() > 1 && f.back() == '/') f.pop_back();
  root() = f.empty() ? "." : f;
}

const std::string& DeviceRootGet() { return root(); }

std::string DevicePathToHost(const std::string& devicePath) {
  if (!devicePath.empty() && devicePath.front() == '/') return root() + devicePath;
  return root() + "/" + devicePath;
}
