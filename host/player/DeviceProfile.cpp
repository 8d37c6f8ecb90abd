#include "host/player/DeviceProfile.h"

#include "corefoundation/CFBase.h"
#include "uikit/UIDevice.h"
#include "uikit/UIScreen.h"

namespace host {

const std::vector<DeviceProfile>& deviceProfiles() {
  static const std::vector<DeviceProfile> profiles = {
      {"ios7", "7.0.4", 847.24, 320, 568},
      {"ios8", "8.1", 1141.14, 320, 568},
      {"ios6", "6.1.3", 793.00, 320, 480},
  };
  return profiles;
}

const DeviceProfile* findDeviceProfile(std::string_view name) {
  for (const DeviceProfile& profile : deviceProfiles())
    if (profile.name == name) return &profile;
  return nullptr;
}

void applyDeviceProfile(const DeviceProfile& profile) {
  kCFCoreFoundationVersionNumber = profile.coreFoundationVersion;
  UIDevice::currentDevice()->setSystemVersion(profile.systemVersion);
  UIScreen::mainScreen()->setBounds(CGRectMake(0, 0, profile.screenWidth, profile.screenHeight));
}

}  // namespace host
