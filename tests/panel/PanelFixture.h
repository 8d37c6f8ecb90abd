// A player session on screen (its window key, the layouts installed, the controls set up) and a
// finger that works the panel through the application's touch input, as a script would.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "../player/PlayerFixture.h"
#include "Lowtide/settings/SettingsFiles.h"
#include "foundation/NSDictionary.h"
#include "host/script/ScreenActions.h"
#include "uikit/UIAlertView.h"
#include "uikit/UIWindow.h"

class PanelTest : public PlayerFixture {
 protected:
  void SetUp() override {
    PlayerFixture::SetUp();
    installResources();
    UIAlertViewClearShownAlerts();
    session_ = std::make_unique<host::PlayerSession>();
    window()->makeKeyAndVisible();
    session_->setUpControls();
    finger_ = std::make_unique<host::ScreenActions>(window());
  }
  void TearDown() override {
    finger_.reset();
    session_.reset();
    UIAlertViewClearShownAlerts();
    PlayerFixture::TearDown();
  }

  UIWindow* window() const { return static_cast<UIWindow*>(session_->window()); }
  // A tap on the equalizer button opens a new panel, bound to the engine.
  lowtide::eqView& openPanel() {
    lowtide::btn->tap();
    EXPECT_TRUE(lowtide::view);
    return *lowtide::view;
  }

  // The finger: a name is a layout's name for a view, "quoted" text a title or a row's text.
  static host::ScriptTarget target(const std::string& t) {
    return t.size() > 1 && t.front() == '"' ? host::ScriptTarget{t.substr(1, t.size() - 2), true}
                                            : host::ScriptTarget{t, false};
  }
  std::string tap(const std::string& t) { return finger_->tap(target(t)); }
  std::string slide(const std::string& t, double v) { return finger_->slide(target(t), v); }
  std::string flip(const std::string& t, bool on) { return finger_->setSwitch(target(t), on); }
  std::string segment(const std::string& t, long i) { return finger_->selectSegment(target(t), i); }
  std::string type(const std::string& t, const std::string& text) { return finger_->type(target(t), text); }
  std::string swipeDelete(const std::string& t) { return finger_->deleteRow(target(t)); }

  // A settings file as its strings: key to text (a nested dictionary's entries as "name/key").
  static std::map<std::string, std::string> fileStrings(const char* devicePath) {
    std::map<std::string, std::string> out;
    const Ref<NSDictionary> d = NSDictionary::dictionaryWithContentsOfFile(devicePath);
    EXPECT_TRUE(d) << devicePath << " is not a dictionary";
    if (!d) return out;
    const Ref<NSArray> keys = d->allKeys();
    for (size_t i = 0; i < keys->count(); ++i) {
      const std::string key = static_cast<NSString*>(keys->objectAtIndex(i))->string();
      NSObject* value = d->objectForKey(key);
      if (auto* s = dynamic_cast<NSString*>(value)) out[key] = s->string();
      else if (auto* inner = dynamic_cast<NSDictionary*>(value)) {
        const Ref<NSArray> innerKeys = inner->allKeys();
        for (size_t j = 0; j < innerKeys->count(); ++j) {
          const std::string k = static_cast<NSString*>(innerKeys->objectAtIndex(j))->string();
          auto* text = dynamic_cast<NSString*>(inner->objectForKey(k));
          out[key + "/" + k] = text ? text->string() : "<not a string>";
        }
      } else out[key] = "<not a string>";
    }
    return out;
  }

  // One preset dictionary in a preset file's XML.
  static std::string presetEntry(const std::string& name, const char* bassgain, const char* bassfreq,
                                 const char* bassintens, const char* filtgain, const char* filtfreq,
                                 const char* filtbw, const char* filttype) {
    auto e = [](const char* k, const char* v) { return std::string("<key>") + k + "</key><string>" + v + "</string>"; };
    return "<key>" + name + "</key><dict>" + e("bassgain", bassgain) + e("bassfreq", bassfreq) +
           e("bassintens", bassintens) + e("filtgain", filtgain) + e("filtfreq", filtfreq) + e("filtbw", filtbw) +
           e("filttype", filttype) + "</dict>";
  }
  void writePresets(const std::string& entries) const {
    writeDeviceFile(lowtide::kPresetsPath, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>" +
                                               entries + "</dict></plist>");
  }

 private:
  std::unique_ptr<host::PlayerSession> session_;
  std::unique_ptr<host::ScreenActions> finger_;
};
