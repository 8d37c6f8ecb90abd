#include "uikit/UIDevice.h"

UIDevice* UIDevice::currentDevice() {
  static UIDevice* device = new UIDevice;  // lives as long as the process
  return device;
}
