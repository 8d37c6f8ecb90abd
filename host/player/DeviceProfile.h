// The devices the player can pretend to run on: system version, Core Foundation version and
// screen size, which the system reads to pick its layout and behaviour.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace host {

struct DeviceProfile {
  std::string name;
  std::string systemVersion;
  double coreFoundationVersion;
  double screenWidth, screenHeight;
};

// "ios7" = iOS 7.0.4, CF 847.24, 320x568 (default, first); "ios8" = 8.1, CF 1141.14, 320x568;
// "ios6" = 6.1.3, CF 793.00, 320x480.
const std::vector<DeviceProfile>& deviceProfiles();
const DeviceProfile* findDeviceProfile(std::string_view name);  // nullptr if unknown
// Sets kCFCoreFoundationVersionNumber, the device's systemVersion and the UIScreen bounds.
void applyDeviceProfile(const DeviceProfile& profile);

}  // namespace host
