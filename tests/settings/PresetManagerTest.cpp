#include "Lowtide/settings/PresetManager.h"

#include <gtest/gtest.h>

#include <cerrno>

#include "Lowtide/settings/SettingsFiles.h"
#include "SettingsFixture.h"
#include "foundation/NSPropertyListSerialization.h"

using lowtide::EQPreset;
using lowtide::kPresetsPath;
using lowtide::PresetManager;

namespace {

class PresetStore : public SettingsTest {
 protected:
  Ref<PresetManager> loaded() {
    auto manager = make<PresetManager>();
    manager->loadPresetsFromFile();
    return manager;
  }
  static Ref<EQPreset> preset(const std::string& name, double bassfreq = 80, int32_t type = 2) {
    return EQPreset::initWithName(name, 1, bassfreq, 0, 0, 2222, 5, type);
  }
  // The store as the file holds it now.
  Ref<NSDictionary> onDisk() { return NSDictionary::dictionaryWithContentsOfFile(kPresetsPath); }
  void writeBinaryStore(const NSDictionary* store) {
    auto data = NSPropertyListSerialization::dataFromPropertyList(store, NSPropertyListBinaryFormat_v1_0, nullptr);
    ASSERT_TRUE(data);
    writeHostFile(kPresetsPath, std::string(reinterpret_cast<const char*>(data->bytes()), data->length()));
  }
};

TEST_F(PresetStore, FirstUseCreatesTheFolderAndAnEmptyStoreFile) {
  auto manager = loaded();
  EXPECT_EQ(manager->getDict()->count(), 0u);
  auto file = onDisk();
  ASSERT_TRUE(file);
  EXPECT_EQ(file->count(), 0u);
  EXPECT_EQ(readHostFile(kPresetsPath).rfind("<?xml", 0), 0u);
  EXPECT_TRUE(alertMessages().empty());
}

TEST_F(PresetStore, AddReplaceRemoveAndReloadAgreeWithMemory) {
  auto manager = loaded();
  manager->addPreset(preset("Rock"));
  manager->addPreset(preset("Jazz", 120, 0));
  manager->addPreset(preset("Rock", 150, 1));  // same name: replaced, not added
  EXPECT_EQ(manager->getDict()->count(), 2u);
  auto rock = manager->getSettingsForKey("Rock");
  EXPECT_EQ(rock->returnName()->string(), "Just Loaded");
  EXPECT_EQ(rock->bassfreq(), 150.0);
  EXPECT_EQ(rock->filttype(), 1);

  auto before = manager->getDict();
  manager->removePresetAtIndex("Jazz");
  EXPECT_EQ(before->count(), 2u);  // an earlier copy does not see later changes
  EXPECT_EQ(manager->getDict()->count(), 1u);
  EXPECT_TRUE(manager->getDict()->isEqualToDictionary(onDisk()));

  Ref<NSDictionary> inMemory = manager->getDict();
  lowtide::presets = nullptr;
  auto reloaded = loaded();
  EXPECT_TRUE(reloaded->getDict()->isEqualToDictionary(inMemory));
  EXPECT_EQ(reloaded->getSettingsForKey("Rock")->bassfreq(), 150.0);
  EXPECT_TRUE(alertMessages().empty());
}

TEST_F(PresetStore, RemovingAMissingNameStillRewritesTheFile) {
  auto manager = loaded();
  manager->addPreset(preset("Keep"));
  Ref<NSDictionary> store = manager->getDict();
  writeBinaryStore(store);  // same contents, other form: a rewrite shows as XML again
  manager->removePresetAtIndex("Absent");
  EXPECT_EQ(readHostFile(kPresetsPath).rfind("<?xml", 0), 0u);
  EXPECT_TRUE(onDisk()->isEqualToDictionary(store));
}

TEST_F(PresetStore, AwkwardNamesSurviveWriteAndReload) {
  const std::vector<std::string> names = {"   ", "a/b", "Bass & Treble", "<b>loud</b>", "x]]>y",
                                          "Ünïcode ♫", ""};
  auto manager = loaded();
  for (size_t i = 0; i < names.size(); ++i) manager->addPreset(preset(names[i], 10.0 * (i + 1)));
  lowtide::presets = nullptr;
  auto reloaded = loaded();
  EXPECT_EQ(reloaded->getDict()->count(), names.size());
  for (size_t i = 0; i < names.size(); ++i)
    EXPECT_EQ(reloaded->getSettingsForKey(names[i])->bassfreq(), 10.0 * (i + 1)) << names[i];
}

TEST_F(PresetStore, ABinaryStoreIsRead) {
  auto store = NSMutableDictionary::dictionary();
  store->setObject(preset("FromBinary", 99)->returnSettings(), "FromBinary");
  writeBinaryStore(store);
  auto manager = loaded();
  EXPECT_EQ(manager->getDict()->count(), 1u);
  EXPECT_EQ(manager->getSettingsForKey("FromBinary")->bassfreq(), 99.0);
}

TEST_F(PresetStore, ValuesAreLimitedOnlyWhenOnePresetIsReadBack) {
  auto manager = loaded();
  manager->addPreset(preset("Loud", 500, 7));
  lowtide::presets = nullptr;
  auto reloaded = loaded();
  auto stored = dynamic_cast<NSDictionary*>(reloaded->getDict()->objectForKey("Loud"));
  ASSERT_TRUE(stored);
  EXPECT_EQ(text(stored->objectForKey("bassfreq")), "500.000000");
  EXPECT_EQ(text(stored->objectForKey("filttype")), "7");
  EXPECT_EQ(reloaded->getSettingsForKey("Loud")->bassfreq(), 200.0);
  EXPECT_EQ(reloaded->getSettingsForKey("Loud")->filttype(), 2);
  // An unknown name, or an entry that is not a dictionary, reads as the all-zero preset.
  EXPECT_EQ(reloaded->getSettingsForKey("Nope")->filtfreq(), 0.0);
}

TEST_F(PresetStore, ADamagedFileIsNeverOverwritten) {
  for (const std::string& damaged : {std::string("not a plist"), std::string(""),
                                     std::string("<plist><array/></plist>")}) {
    writeHostFile(kPresetsPath, damaged);
    lowtide::presets = nullptr;
    UIAlertViewClearShownAlerts();
    auto manager = loaded();
    EXPECT_EQ(manager->getDict()->count(), 0u);
    auto p = manager->getSettingsForKey("anything");
    EXPECT_EQ(p->bassgain() + p->bassfreq() + p->filtfreq() + p->filttype(), 0.0);

    manager->addPreset(preset("New"));
    manager->removePresetAtIndex("New");
    manager->savePresetsToFile();
    EXPECT_EQ(readHostFile(kPresetsPath), damaged);
    EXPECT_EQ(manager->getDict()->count(), 0u);
    // Each attempt to save says so, naming no presets.
    auto messages = alertMessages();
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[0],
              "I could not save to preset file.\n"
              "Error: The preset file could not be read and was left unchanged.\nsize: 0");
  }
}

TEST_F(PresetStore, AFailedWriteIsShownAndKeepsTheOldFile) {
  auto manager = loaded();
  manager->addPreset(preset("Saved"));
  const std::string good = readHostFile(kPresetsPath);

  for (auto step : {FileStep::CreateTemporary, FileStep::WriteTemporary, FileStep::Rename}) {
    FileLayerClearFaults();
    UIAlertViewClearShownAlerts();
    FileLayerInjectFault(step, ENOSPC);
    manager->addPreset(preset("Lost"));
    EXPECT_EQ(readHostFile(kPresetsPath), good);
    EXPECT_EQ(listFolder(lowtide::kDataFolder), std::vector<std::string>{"presets.plist"});
    auto messages = alertMessages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].rfind("I could not save to preset file.\nError: ", 0), 0u);
    EXPECT_NE(messages[0].find("No space left on device"), std::string::npos) << messages[0];
    EXPECT_TRUE(messages[0].ends_with("\nsize: 2")) << messages[0];
  }
  // The change is kept in memory and reaches the file with the next save that works.
  FileLayerClearFaults();
  EXPECT_EQ(manager->getDict()->count(), 2u);
  manager->savePresetsToFile();
  EXPECT_EQ(onDisk()->count(), 2u);
}

TEST_F(PresetStore, AFolderThatCannotBeMadeIsShown) {
  auto manager = loaded();
  std::filesystem::remove_all(host(lowtide::kDataFolder));
  FileLayerInjectFault(FileStep::CreateDirectory, EACCES);
  manager->addPreset(preset("p"));
  auto messages = alertMessages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].find("Permission denied"), std::string::npos) << messages[0];
  EXPECT_FALSE(std::filesystem::exists(host(kPresetsPath)));
}

TEST_F(PresetStore, AnEncodingErrorIsShownWithThePresetCount) {
  auto manager = loaded();
  manager->addPreset(preset("Good"));
  const std::string good = readHostFile(kPresetsPath);
  lowtide::presets->setObject(make<NSObject>(), "not a preset");  // nothing a property list holds
  manager->savePresetsToFile();
  EXPECT_EQ(readHostFile(kPresetsPath), good);
  auto messages = alertMessages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].find("Error: Property list invalid"), std::string::npos) << messages[0];
  EXPECT_TRUE(messages[0].ends_with("\nsize: 2")) << messages[0];
}

}  // namespace
