// Every settings test starts with a fresh device root, no preset store in memory and the engine
// as a freshly loaded library has it.
#pragma once

#include <string>

#include "Lowtide/engine/EngineTesting.h"
#include "Lowtide/panel/SaveFailureAlert.h"
#include "Lowtide/settings/SettingsFiles.h"
#include "Lowtide/settings/PresetManager.h"
#include "TempDeviceRoot.h"

class SettingsTest : public TempDeviceRoot {
 protected:
  void SetUp() override {
    TempDeviceRoot::SetUp();
    lowtide::presets = nullptr;
    lowtide::resetEngineForTesting();
    // As a bound panel connects it.
    lowtide::setSaveFailureReport(&lowtide::showSaveFailureAlert);
  }
  void TearDown() override {
    lowtide::setSaveFailureReport(nullptr);
    lowtide::presets = nullptr;
    lowtide::resetEngineForTesting();
    TempDeviceRoot::TearDown();
  }

  // A store manager as the panel makes one: the shared store forgotten, then read from the file.
  static Ref<lowtide::PresetManager> loaded() {
    lowtide::presets = nullptr;
    auto manager = make<lowtide::PresetManager>();
    manager->loadPresetsFromFile();
    return manager;
  }
  static Ref<lowtide::EQPreset> preset(const std::string& name, double bassfreq = 80, int32_t type = 2) {
    lowtide::ParameterValues values = lowtide::resetValues();
    values[lowtide::Parameter::bassfreq] = bassfreq;
    values[lowtide::Parameter::filttype] = type;
    return lowtide::EQPreset::initWithName(name, values);
  }
  static std::string text(const NSObject* o) {
    auto s = dynamic_cast<const NSString*>(o);
    return s ? s->string() : "<not a string>";
  }

  // The messages of the alerts shown so far, each checked to be the save-failure alert.
  static std::vector<std::string> alertMessages() {
    std::vector<std::string> out;
    for (const auto& a : UIAlertViewVisibleAlerts()) {
      EXPECT_EQ(a->title()->string(), "Fatal Error - Tunely");
      EXPECT_EQ(a->numberOfButtons(), 1);
      EXPECT_EQ(a->buttonTitleAtIndex(0)->string(), "OK");
      EXPECT_EQ(a->delegate(), nullptr);
      out.push_back(a->message()->string());
    }
    return out;
  }
};
