#include "Lowtide/settings/PresetManager.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cerrno>

#include "Lowtide/settings/SettingsFiles.h"
#include "SettingsFixture.h"
#include "foundation/NSPropertyListSerialization.h"
#include "XmlCharacters.h"

using lowtide::EQPreset;
using lowtide::kPresetsPath;
using lowtide::PresetManager;

namespace {

class PresetStore : public SettingsTest {
 protected:
  static Ref<NSDictionary> onDisk() { return NSDictionary::dictionaryWithContentsOfFile(kPresetsPath); }
  static void writeBinary(const NSDictionary* store) {
    auto data = NSPropertyListSerialization::dataFromPropertyList(store, NSPropertyListBinaryFormat_v1_0, nullptr);
    writeHostFile(kPresetsPath, std::string(reinterpret_cast<const char*>(data->bytes()), data->length()));
  }
};

TEST_F(PresetStore, FirstUseCreatesTheFolderAndAnEmptyStoreFile) {
  EXPECT_EQ(loaded()->getDict()->count(), 0u);
  ASSERT_TRUE(onDisk());
  EXPECT_EQ(onDisk()->count(), 0u);
  EXPECT_TRUE(alertMessages().empty());
}

TEST_F(PresetStore, AddReplaceRemoveAndReloadAgreeWithMemory) {
  auto manager = loaded();
  manager->addPreset(preset("Rock").get());
  manager->addPreset(preset("Jazz", 120, 0).get());
  manager->addPreset(preset("Rock", 150, 1).get());  // same name: replaced, the count stays
  auto before = manager->getDict();
  EXPECT_EQ(before->count(), 2u);
  EXPECT_EQ(manager->getSettingsForKey("Rock")->bassfreq(), 150.0);
  EXPECT_EQ(manager->getSettingsForKey("Rock")->returnName()->string(), "Just Loaded");
  manager->removePresetAtIndex("Jazz");
  EXPECT_EQ(before->count(), 2u);  // an earlier copy does not see later changes
  Ref<NSDictionary> inMemory = manager->getDict();
  EXPECT_EQ(inMemory->count(), 1u);
  EXPECT_TRUE(inMemory->isEqualToDictionary(onDisk().get()));
  EXPECT_TRUE(loaded()->getDict()->isEqualToDictionary(inMemory));
  EXPECT_TRUE(alertMessages().empty());
}

TEST_F(PresetStore, RemovingAMissingNameStillRewritesTheFile) {
  auto manager = loaded();
  manager->addPreset(preset("Keep").get());
  Ref<NSDictionary> store = manager->getDict();
  writeBinary(store);  // the same store in the other form: a rewrite turns it back into XML
  manager->removePresetAtIndex("Absent");
  EXPECT_EQ(readHostFile(kPresetsPath).rfind("<?xml", 0), 0u);
  EXPECT_TRUE(onDisk()->isEqualToDictionary(store));
}

// Every name XML can hold comes back exactly, and the file stays one that a strict reader takes.
TEST_F(PresetStore, AwkwardNamesSurviveWriteAndReload) {
  const std::vector<std::string> names = {"   ", "a/b", "Bass & Treble", "<b>", "x]]>y", "Ünï ♫", "",
                                          "\t", " two\nlines ", "old\r\nmac\r", "\x7f", "\xef\xbf\xbd",
                                          "\xf0\x9f\x8e\xb8", "&#13;"};
  auto manager = loaded();
  for (size_t i = 0; i < names.size(); ++i) manager->addPreset(preset(names[i], 10.0 * (i + 1)).get());
  EXPECT_TRUE(alertMessages().empty());
  EXPECT_EQ(firstByteXmlCannotKeep(readHostFile(kPresetsPath)), std::string::npos);
  auto reloaded = loaded();
  EXPECT_EQ(reloaded->getDict()->count(), names.size());
  for (size_t i = 0; i < names.size(); ++i)
    EXPECT_EQ(reloaded->getSettingsForKey(names[i])->bassfreq(), 10.0 * (i + 1)) << names[i];
}

// Cut at a NUL, "Rock\0Live" would overwrite "Rock"; the others would make the file unreadable.
TEST_F(PresetStore, NamesTheFileCannotHoldAreRefusedAndChangeNothing) {
  using namespace std::string_literals;
  auto manager = loaded();
  manager->addPreset(preset("Rock", 100).get());
  const std::string file = readHostFile(kPresetsPath);
  for (const std::string& bad : {"Rock\0Live"s, "Rock\xff"s, "caf\xc3"s, "Bell\x07"s, "\x1b[1mBold"s, "\xef\xbf\xbe"s}) {
    UIAlertViewForgetVisibleAlerts();
    manager->addPreset(preset(bad, 150).get());
    EXPECT_EQ(readHostFile(kPresetsPath), file) << bad;
    EXPECT_EQ(manager->getDict()->count(), 1u) << bad;
    EXPECT_EQ(manager->getSettingsForKey("Rock")->bassfreq(), 100.0) << bad;
    auto messages = alertMessages();
    ASSERT_EQ(messages.size(), 1u) << bad;
    EXPECT_TRUE(messages[0].starts_with("I could not save to preset file.\nError: Property list invalid for "
                                        "format: text holding ")) << messages[0];
    EXPECT_TRUE(messages[0].ends_with(" cannot be written as XML\nsize: 1")) << messages[0];
  }
}

TEST_F(PresetStore, AZeroByteFileIsAnEmptyStoreNotADamagedOne) {
  writeHostFile(kPresetsPath, "");
  auto manager = loaded();
  EXPECT_EQ(manager->getDict()->count(), 0u);
  EXPECT_EQ(readHostFile(kPresetsPath), "");  // loading writes nothing
  manager->addPreset(preset("First").get());
  EXPECT_TRUE(alertMessages().empty());
  ASSERT_TRUE(onDisk());
  EXPECT_EQ(onDisk()->count(), 1u);
}

// A link to a store elsewhere is read and written through; a link that leads nowhere, or
// anything else that cannot be read as a file, is a damaged store and stays exactly as it is.
TEST_F(PresetStore, ALinkIsTheUsersAndIsNeverReplaced) {
  const std::string elsewhere = "/var/mobile/Documents/presets.plist";
  writeHostFile(elsewhere, "");
  writeHostFile(kPresetsPath, "");
  std::filesystem::remove(host(kPresetsPath));
  std::filesystem::create_symlink("../../../Documents/presets.plist", host(kPresetsPath));
  loaded()->addPreset(preset("Kept").get());
  EXPECT_TRUE(std::filesystem::is_symlink(host(kPresetsPath)));
  auto store = NSDictionary::dictionaryWithContentsOfFile(elsewhere);
  ASSERT_TRUE(store);
  EXPECT_TRUE(store->objectForKey("Kept"));
  EXPECT_EQ(loaded()->getDict()->count(), 1u);

  for (const char* target : {"nowhere.plist", "presets.plist", "/dev/zero"}) {
    std::filesystem::remove(host(kPresetsPath));
    std::filesystem::create_symlink(target, host(kPresetsPath));
    UIAlertViewForgetVisibleAlerts();
    auto manager = loaded();
    EXPECT_EQ(manager->getDict()->count(), 0u) << target;
    manager->addPreset(preset("New").get());
    EXPECT_EQ(std::filesystem::read_symlink(host(kPresetsPath)), target);
    EXPECT_EQ(listFolder(lowtide::kDataFolder), std::vector<std::string>{"presets.plist"});
    EXPECT_EQ(alertMessages().size(), 1u) << target;
  }
  std::filesystem::remove(host(kPresetsPath));
  ASSERT_EQ(::mkfifo(host(kPresetsPath).c_str(), 0644), 0);
  loaded()->addPreset(preset("New").get());
  EXPECT_TRUE(std::filesystem::is_fifo(host(kPresetsPath)));
}

TEST_F(PresetStore, ABinaryStoreIsReadAndValuesAreLimitedOnlyWhenReadBack) {
  auto store = NSMutableDictionary::dictionary();
  store->setObject(preset("Loud", 500, 7)->returnSettings(), "Loud");
  writeBinary(store);
  auto manager = loaded();
  auto stored = dynamic_cast<NSDictionary*>(manager->getDict()->objectForKey("Loud"));
  ASSERT_TRUE(stored);
  EXPECT_EQ(text(stored->objectForKey("bassfreq")), "500.000000");
  EXPECT_EQ(manager->getSettingsForKey("Loud")->bassfreq(), 200.0);
  EXPECT_EQ(manager->getSettingsForKey("Loud")->filttype(), 2);
  EXPECT_EQ(manager->getSettingsForKey("Nope")->filtfreq(), 0.0);
}

TEST_F(PresetStore, ADamagedFileIsNeverOverwrittenAndSavingSaysSo) {
  for (const char* damaged : {"not a plist", "<plist><array/></plist>"}) {
    writeHostFile(kPresetsPath, damaged);
    UIAlertViewForgetVisibleAlerts();
    auto manager = loaded();
    EXPECT_EQ(manager->getDict()->count(), 0u);
    auto p = manager->getSettingsForKey("anything");
    EXPECT_EQ(p->bassgain() + p->bassfreq() + p->filtfreq() + p->filttype(), 0.0);
    manager->addPreset(preset("New").get());
    manager->removePresetAtIndex("New");
    EXPECT_EQ(readHostFile(kPresetsPath), damaged);
    EXPECT_EQ(manager->getDict()->count(), 0u);
    EXPECT_EQ(alertMessages(), std::vector<std::string>(2, "I could not save to preset file.\nError: The "
                                                           "preset file could not be read and was left "
                                                           "unchanged.\nsize: 0"));
  }
}

TEST_F(PresetStore, AFailedWriteIsShownAndKeepsTheOldFile) {
  auto manager = loaded();
  manager->addPreset(preset("Saved").get());
  const std::string good = readHostFile(kPresetsPath);
  for (auto step : {FileStep::CreateTemporary, FileStep::WriteTemporary, FileStep::Rename}) {
    FileLayerClearFaults();
    UIAlertViewForgetVisibleAlerts();
    FileLayerInjectFault(step, ENOSPC);
    manager->addPreset(preset("Lost").get());
    EXPECT_EQ(readHostFile(kPresetsPath), good);
    EXPECT_EQ(listFolder(lowtide::kDataFolder), std::vector<std::string>{"presets.plist"});
    auto messages = alertMessages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].rfind("I could not save to preset file.\nError: " + std::string(kPresetsPath), 0), 0u);
    EXPECT_TRUE(messages[0].ends_with("No space left on device\nsize: 2")) << messages[0];
  }
  FileLayerClearFaults();  // the change was kept in memory and goes with the next save
  manager->savePresetsToFile();
  EXPECT_EQ(onDisk()->count(), 2u);
}

TEST_F(PresetStore, AnEncodingErrorOrAFolderThatCannotBeMadeIsShown) {
  auto manager = loaded();
  manager->addPreset(preset("Good").get());
  const std::string good = readHostFile(kPresetsPath);
  lowtide::presets->setObject(make<NSObject>(), "not a preset");  // nothing a property list holds
  manager->savePresetsToFile();
  EXPECT_EQ(readHostFile(kPresetsPath), good);
  lowtide::presets->removeObjectForKey("not a preset");
  std::filesystem::remove_all(host(lowtide::kDataFolder));
  FileLayerInjectFault(FileStep::CreateDirectory, EACCES);
  manager->savePresetsToFile();
  auto messages = alertMessages();
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_NE(messages[0].find("Error: Property list invalid"), std::string::npos) << messages[0];
  EXPECT_TRUE(messages[0].ends_with("\nsize: 2")) << messages[0];
  EXPECT_TRUE(messages[1].ends_with("could not create the folder: Permission denied\nsize: 1")) << messages[1];
}

}  // namespace
