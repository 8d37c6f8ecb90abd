// A player session on screen (its window key, the layouts installed, the controls set up) and a
// finger that works the panel through the application's touch input, as a script would.
#pragma once

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "PlayerFixture.h"
#include "Lowtide/engine/ParameterSet.h"
#include "Lowtide/settings/SettingsFiles.h"
#include "foundation/NSDictionary.h"
#include "host/script/ScreenActions.h"
#include "uikit/UIWindow.h"

// The engine's parameters, switches and kernel slot, set and compared whole.
struct EngineState {
  double bassgain = 0, bassfreq = 0, bassintens = 0, gain = 0, freq = 0, bandwidth = 0;
  int32_t type = 0;
  bool enabled = false, bassenabled = false, plusenabled = false;
  lowtide::Kernel kernel = nullptr;
  bool operator==(const EngineState&) const = default;

  static EngineState now() {
    namespace eq = lowtide;
    using P = eq::Parameter;
    const eq::ParameterValues v = eq::loadParameters();
    return {v[P::bassgain], v[P::bassfreq], v[P::bassintens], v[P::filtgain], v[P::filtfreq], v[P::filtbw],
            int32_t(v[P::filttype]), eq::enabled, eq::bassenabled, eq::plusenabled, eq::performFilters};
  }
  void apply() const {  // all but the kernel
    lowtide::storeParameters(lowtide::ParameterValues{{bassgain, bassfreq, bassintens, gain, freq, bandwidth, double(type)}});
    lowtide::enabled = enabled, lowtide::bassenabled = bassenabled, lowtide::plusenabled = plusenabled;
  }
};

class PanelTest : public PlayerFixture {
 protected:
  using Strings = std::map<std::string, std::string>;
  using Values = std::array<const char*, lowtide::kParameterCount>;  // a preset's strings in the order of the parameter table
  static const char* key(size_t i) { return lowtide::kParameters[i].key; }

  void SetUp() override {
    PlayerFixture::SetUp();
    installResources();
    session_ = std::make_unique<host::PlayerSession>();
    window()->makeKeyAndVisible();
    session_->setUpControls();
    finger_ = std::make_unique<host::ScreenActions>(window());
  }
  void TearDown() override {
    finger_.reset();
    session_.reset();
    PlayerFixture::TearDown();
  }

  UIWindow* window() const { return static_cast<UIWindow*>(session_->window()); }
  host::PlayerSession& session() { return *session_; }
  lowtide::eqView& openPanel() {  // a tap on the equalizer button
    lowtide::btn->tap();
    EXPECT_TRUE(lowtide::view);
    return *lowtide::view;
  }
  static std::vector<std::string> readOuts(const lowtide::eqView& p) {
    return {p.gainLabel->text(),     p.freqLabel->text(),          p.bandwidthLabel->text(),
            p.bassGainLabel->text(), p.bassIntensityLabel->text(), p.bassFrequencyLabel->text()};
  }

  // The finger; each step answers "" when done. A target is a layout's name, or "quoted" text.
  static host::ScriptTarget target(const std::string& t) {
    return t.front() == '"' ? host::ScriptTarget{t.substr(1, t.size() - 2), true} : host::ScriptTarget{t, false};
  }
  std::string tap(const std::string& t) { return finger_->tap(target(t)); }
  std::string slide(const std::string& t, double v) { return finger_->slide(target(t), v); }
  std::string flip(const std::string& t, bool on) { return finger_->setSwitch(target(t), on); }
  std::string segment(const std::string& t, long i) { return finger_->selectSegment(target(t), i); }
  std::string type(const std::string& t, const std::string& text) { return finger_->type(target(t), text); }
  std::string swipeDelete(const std::string& t) { return finger_->deleteRow(target(t)); }
  static std::string steps(std::initializer_list<std::string> results) {  // a braced list runs in order
    std::string out;
    for (const std::string& r : results) out += r.empty() ? "" : (out.empty() ? "" : "; ") + r;
    return out;
  }

  // A settings file's strings; a preset's are keyed "name/key".
  static Strings fileStrings(const char* devicePath) {
    Strings out;
    std::function<void(const NSDictionary&, const std::string&)> walk = [&](const NSDictionary& d, const std::string& in) {
      const Ref<NSArray> keys = d.allKeys();
      for (size_t i = 0; i < keys->count(); ++i) {
        const std::string key = static_cast<NSString*>(keys->objectAtIndex(i))->string();
        if (auto* inner = dynamic_cast<NSDictionary*>(d.objectForKey(key))) walk(*inner, in + key + "/");
        else if (auto* s = dynamic_cast<NSString*>(d.objectForKey(key))) out[in + key] = s->string();
        else out[in + key] = "<not a string>";
      }
    };
    if (const Ref<NSDictionary> d = NSDictionary::dictionaryWithContentsOfFile(devicePath)) walk(*d, "");
    else ADD_FAILURE() << devicePath << " is not a dictionary";
    return out;
  }
  static Strings presetStrings(const std::string& prefix, const Values& v) {
    Strings out;
    for (size_t i = 0; i < v.size(); ++i) out[prefix + key(i)] = v[i];
    return out;
  }
  void writePresets(std::initializer_list<std::pair<std::string, Values>> presets) const {
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>";
    for (const auto& [name, v] : presets) {
      xml += "<key>" + name + "</key><dict>";
      for (size_t i = 0; i < v.size(); ++i) xml += std::string("<key>") + key(i) + "</key><string>" + v[i] + "</string>";
      xml += "</dict>";
    }
    writeDeviceFile(lowtide::kPresetsPath, xml + "</dict></plist>");
  }

 private:
  std::unique_ptr<host::PlayerSession> session_;
  std::unique_ptr<host::ScreenActions> finger_;
};
