// Players sharing one device root change the preset store at the same moment, each from the
// store it read when its panel opened: every save and deletion of every player must survive.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <set>

#include "Lowtide/settings/PresetManager.h"
#include "Lowtide/settings/SettingsFiles.h"
#include "SettingsFixture.h"

using lowtide::EQPreset;
using lowtide::kPresetsPath;
using lowtide::PresetManager;

namespace {

class PresetNeighbours : public SettingsTest {
 protected:
  static std::string nameOf(int player, int k) {
    return "player " + std::to_string(player) + " preset " + std::to_string(k);
  }
};

// Each player saves its own presets and deletes every other one of them, plus one preset that
// was there before any of them opened its panel.
TEST_F(PresetNeighbours, PlayersSavingAndDeletingAtOnceLoseNoChange) {
  constexpr int kSaves = 12;
  for (const int players : {2, 10}) {
    SCOPED_TRACE(std::to_string(players) + " players");
    std::filesystem::remove_all(host(lowtide::kDataFolder));
    auto first = loaded();
    for (int p = 0; p < players; ++p) first->addPreset(preset("old " + std::to_string(p)).get());
    first->addPreset(preset("kept").get());

    int start[2];
    ASSERT_EQ(::pipe(start), 0);
    std::vector<pid_t> children;
    for (int p = 0; p < players; ++p) {
      const pid_t child = ::fork();
      ASSERT_GE(child, 0);
      if (child == 0) {
        ::close(start[1]);
        auto manager = loaded();  // the store as the panel read it, before anyone changed it
        char go;
        if (::read(start[0], &go, 1) != 0) ::_exit(3);  // all start when the pipe closes
        for (int k = 0; k < kSaves; ++k) manager->addPreset(preset(nameOf(p, k)).get());
        for (int k = 0; k < kSaves; k += 2) manager->removePresetAtIndex(nameOf(p, k));
        manager->removePresetAtIndex("old " + std::to_string(p));
        ::_exit(UIAlertViewVisibleAlerts().empty() ? 0 : 4);
      }
      children.push_back(child);
    }
    ::close(start[0]);
    ::close(start[1]);
    for (const pid_t child : children) {
      int status = 0;
      ASSERT_EQ(::waitpid(child, &status, 0), child);
      EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
    }

    std::set<std::string> expected{"kept"};
    for (int p = 0; p < players; ++p)
      for (int k = 1; k < kSaves; k += 2) expected.insert(nameOf(p, k));
    Ref<NSDictionary> store = NSDictionary::dictionaryWithContentsOfFile(kPresetsPath);
    ASSERT_TRUE(store) << "the store is no longer a valid property list";
    std::set<std::string> names;
    const Ref<NSArray> keys = store->allKeys();
    for (size_t i = 0; i < keys->count(); ++i) names.insert(text(keys->objectAtIndex(i)));
    EXPECT_EQ(names, expected);
    EXPECT_EQ(listFolder(lowtide::kDataFolder), std::vector<std::string>{"presets.plist"});
  }
}

// A player whose panel has been open for a while deletes from the store the file holds now, and
// what it shows afterwards includes what another player saved meanwhile.
TEST_F(PresetNeighbours, AChangeAppliesOnlyItselfAndTheStoreShowsTheNeighboursPresets) {
  auto manager = loaded();
  manager->addPreset(preset("Mine").get());
  Ref<NSMutableDictionary> neighbours = lowtide::presets->mutableCopy();
  neighbours->setObject(preset("Theirs")->returnSettings(), "Theirs");
  ASSERT_TRUE(neighbours->writeToFile(kPresetsPath, true));
  manager->removePresetAtIndex("Mine");
  const Ref<NSDictionary> shown = manager->getDict();
  EXPECT_EQ(shown->count(), 1u);
  EXPECT_TRUE(shown->objectForKey("Theirs"));
  EXPECT_TRUE(shown->isEqualToDictionary(NSDictionary::dictionaryWithContentsOfFile(kPresetsPath).get()));
}

// What the reader refuses at the next start is never written: a longer name is refused at once,
// and a store that would outgrow the reader's limit keeps the file as it was.
TEST_F(PresetNeighbours, NamesAndStoresBeyondWhatCanBeReadBackAreRefused) {
  auto manager = loaded();
  manager->addPreset(preset("Small").get());
  const std::string good = readHostFile(kPresetsPath);
  manager->addPreset(preset(std::string(lowtide::kPresetNameLimit, 'x')).get());
  EXPECT_TRUE(alertMessages().empty());
  manager->removePresetAtIndex(std::string(lowtide::kPresetNameLimit, 'x'));
  manager->addPreset(preset(std::string(lowtide::kPresetNameLimit + 1, 'x')).get());
  EXPECT_EQ(readHostFile(kPresetsPath), good);
  auto messages = alertMessages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], "I could not save to preset file.\nError: A preset name may have at most 1024 "
                         "characters.\nsize: 1");

  UIAlertViewForgetVisibleAlerts();
  auto huge = NSMutableDictionary::dictionary();
  huge->setObject(NSString::stringWithString(std::string(kFileReadLimit, 'v')), "filtgain");
  lowtide::presets->setObject(huge, "Huge");
  manager->savePresetsToFile();
  EXPECT_EQ(readHostFile(kPresetsPath), good);
  messages = alertMessages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].find("more than the 67108864 a settings file may have\nsize: 2"), std::string::npos)
      << messages[0].substr(0, 300);
}

}  // namespace
