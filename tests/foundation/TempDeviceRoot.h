// A fresh device root in a temporary folder for the life of a test, removed afterwards. It also
// clears the file layer's injected faults and the record of shown alerts, so no test sees
// another's leftovers.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "foundation/DeviceRoot.h"
#include "foundation/FileLayer.h"
#include "uikit/UIAlertView.h"

class TempDeviceRoot : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/tunely-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root_ = pattern;
    DeviceRootSet(root_);
    FileLayerClearFaults();
    UIAlertViewClearShownAlerts();
  }
  void TearDown() override {
    FileLayerClearFaults();
    UIAlertViewClearShownAlerts();
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }

  // The file on this machine for a device path.
  std::string host(const std::string& devicePath) const { return DevicePathToHost(devicePath); }

  std::string readHostFile(const std::string& devicePath) const {
    std::ifstream in(host(devicePath), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  void writeHostFile(const std::string& devicePath, const std::string& contents) const {
    std::filesystem::create_directories(std::filesystem::path(host(devicePath)).parent_path());
    std::ofstream(host(devicePath), std::ios::binary) << contents;
  }
  // Names in a device folder, to see that no temporary file was left behind.
  std::vector<std::string> listFolder(const std::string& deviceFolder) const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(host(deviceFolder)))
      names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  std::string root_;
};
