// The device itself: the version of the system it runs, from the host's device profile.
#pragma once

#include <string>

#include "objc/NSObject.h"

class UIDevice : public NSObject {
 public:
  static UIDevice* currentDevice();
  const std::string& systemVersion() const { return systemVersion_; }
  void setSystemVersion(std::string version) { systemVersion_ = std::move(version); }

 private:
  std::string systemVersion_ = "7.0.4";
};
