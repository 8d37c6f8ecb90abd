// A change to the store re-reads the file unless it holds exactly what the store in memory would
// be written as: any other content, even of the same size, is read again and kept.
#include <gtest/gtest.h>

#include "Lowtide/settings/PresetManager.h"
#include "SettingsFixture.h"

using lowtide::kPresetsPath;

namespace {

class PresetStoreReread : public SettingsTest {};

TEST_F(PresetStoreReread, AHandEditOfTheSameSizeIsKeptByTheNextChange) {
  auto manager = loaded();
  manager->addPreset(preset("Rock", 80).get());
  manager->addPreset(preset("Jazz", 90).get());
  std::string file = readHostFile(kPresetsPath);
  const std::size_t at = file.find("90.000000");
  ASSERT_NE(at, std::string::npos);
  file.replace(at, 9, "70.000000");  // Jazz changed by hand; the size stays
  writeHostFile(kPresetsPath, file);

  manager->removePresetAtIndex("Rock");
  EXPECT_EQ(manager->getDict()->count(), 1u);
  EXPECT_EQ(manager->getSettingsForKey("Jazz")->bassfreq(), 70.0);
  EXPECT_NE(readHostFile(kPresetsPath).find("70.000000"), std::string::npos);
  EXPECT_EQ(readHostFile(kPresetsPath).find("Rock"), std::string::npos);
}

TEST_F(PresetStoreReread, AnUnchangedFileKeepsTheStoreAndItsChangesStayExact) {
  auto manager = loaded();
  for (const char* name : {"A", "B", "C"}) manager->addPreset(preset(name).get());
  const NSDictionary* before = lowtide::presets.get();
  manager->loadPresetsFromFile();  // nothing changed on disk: the same store
  EXPECT_EQ(lowtide::presets.get(), before);
  manager->removePresetAtIndex("B");
  Ref<NSDictionary> onDisk = NSDictionary::dictionaryWithContentsOfFile(kPresetsPath);
  ASSERT_TRUE(onDisk);
  EXPECT_TRUE(onDisk->isEqualToDictionary(manager->getDict().get()));
  EXPECT_EQ(onDisk->count(), 2u);
}

}  // namespace
