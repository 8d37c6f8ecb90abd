#include "foundation/DeviceRoot.h"

#include <vector>

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

// The path's parts with "." and empty parts dropped and each ".." taking back the part before
// it, but never more than there are: "/../../tmp/x" is "/tmp/x" of the device, as on the device.
static std::string normalisedDevicePath(const std::string& devicePath) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= devicePath.size()) {
    size_t end = devicePath.find('/', start);
    if (end == std::string::npos) end = devicePath.size();
    const std::string part = devicePath.substr(start, end - start);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    start = end + 1;
  }
  std::string path;
  for (const std::string& part : parts) path += "/" + part;
  // A trailing slash says "a folder": kept, so that a file named as one still fails as one.
  if (!parts.empty() && devicePath.size() > 1 && devicePath.back() == '/') path += "/";
  return path;
}

std::string DevicePathToHost(const std::string& devicePath) {
  return root() + normalisedDevicePath(devicePath);
}
