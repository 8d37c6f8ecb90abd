#include "foundation/NSBundle.h"

#include <filesystem>

#include "foundation/DeviceRoot.h"

OBJC_CLASS(NSBundle, NSObject)

Ref<NSBundle> NSBundle::bundleWithPath(const std::string& devicePath) {
  std::error_code ec;
  if (!std::filesystem::is_directory(DevicePathToHost(devicePath), ec)) return nullptr;
  Ref<NSBundle> bundle = make<NSBundle>();
  bundle->path_ = devicePath;
  while (bundle->path_.size() > 1 && bundle->path_.back() == '/') bundle->path_.pop_back();
  return bundle;
}

std::string NSBundle::pathForResource(const std::string& name, const std::string& type) const {
  if (name.empty() || name.find('/') != std::string::npos) return {};
  const std::string path = path_ + "/" + name + (type.empty() ? "" : "." + type);
  std::error_code ec;
  return std::filesystem::is_regular_file(DevicePathToHost(path), ec) ? path : std::string();
}
