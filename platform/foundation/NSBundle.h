// A bundle: a folder of resources on the device, found by name and type.
#pragma once

#include <string>

#include "objc/runtime.h"

class NSBundle : public NSObject {
 public:
  static Class runtimeClass();  // "NSBundle"
  // The bundle at a device path; nil when there is no folder there.
  static Ref<NSBundle> bundleWithPath(const std::string& devicePath);

  const std::string& bundlePath() const { return path_; }
  // The device path of "<name>.<type>" in the bundle; empty (nil) when there is no such file.
  std::string pathForResource(const std::string& name, const std::string& type) const;

 private:
  std::string path_;
};
