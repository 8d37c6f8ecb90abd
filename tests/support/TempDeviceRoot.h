// A fresh device root in a temporary folder for each test, removed afterwards; injected file
// faults and recorded alerts are cleared on both sides, so no test sees another's leftovers.
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
    DeviceRootSet(root_ = pattern);
    FileLayerClearFaults();
    UIAlertViewForgetVisibleAlerts();
  }
  void TearDown() override {
    FileLayerClearFaults();
    UIAlertViewForgetVisibleAlerts();
    std::filesystem::remove_all(root_);
  }

  static std::string host(const std::string& devicePath) { return DevicePathToHost(devicePath); }
  static std::string readHostFile(const std::string& devicePath) {
    std::ifstream in(host(devicePath), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  static void writeHostFile(const std::string& devicePath, const std::string& contents) {
    std::filesystem::create_directories(std::filesystem::path(host(devicePath)).parent_path());
    std::ofstream(host(devicePath), std::ios::binary) << contents;
  }
  // What a device folder holds, to see that no temporary file was left behind.
  static std::vector<std::string> listFolder(const std::string& deviceFolder) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(host(deviceFolder)))
      names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  std::string root_;
};
