// Whole settings files, as the player finds them on disk: the input is the last-state file and the
// preset store, read as the player reads them (the last state 2.0 s after the controls are set
// up, the store when the panel opens), and then a preset is saved. Beyond the sanitizers' checks
// it traps when:
//  - the last state puts a value outside its range, or NaN, into the engine;
//  - a zero-byte store does not load as an empty one;
//  - a store that did not load, or could not be saved, is changed on disk;
//  - a store that loaded is not written back with exactly its names and the new one, or is
//    written as a file a strict XML reader would refuse or change.
#include <stdlib.h>
#include <unistd.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "Lowtide/engine/Equalizer.h"
#include "Lowtide/panel/SaveFailureAlert.h"
#include "Lowtide/settings/LastState.h"
#include "Lowtide/settings/PresetManager.h"
#include "Lowtide/settings/SettingsFiles.h"
#include "foundation/DeviceRoot.h"
#include "tests/support/XmlCharacters.h"
#include "uikit/UIAlertView.h"

using lowtide::EQPreset;
using lowtide::PresetManager;

namespace {

void require(bool condition) {
  if (!condition) __builtin_trap();
}

std::string& deviceRoot() {
  static std::string folder;
  return folder;
}

void removeDeviceRoot() { std::filesystem::remove_all(deviceRoot()); }

void writeFile(const char* devicePath, const uint8_t* data, size_t size) {
  std::ofstream(DevicePathToHost(devicePath), std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

std::string readFile(const char* devicePath) {
  std::ifstream in(DevicePathToHost(devicePath), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

bool within(double v, double upper) { return !std::isnan(v) && v >= 0 && v <= upper; }

void checkEngineRanges() {
  namespace eq = lowtide;
  require(within(eq::bassgain.load(), 1.5) && within(eq::bassfreq.load(), 200) &&
          within(eq::bassintens.load(), 10) && within(eq::gain.load(), 24) &&
          within(eq::freq.load(), 6000) && within(eq::bandwidth.load(), 10));
  require(eq::eqType.load() >= 0 && eq::eqType.load() <= 2);
}

std::set<std::string> names(const NSDictionary* store) {
  std::set<std::string> out;
  for (const auto& entry : store->entries()) out.insert(entry.first);
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // In memory where there is a tmpfs: every save syncs its file.
  std::string pattern = std::filesystem::is_directory("/dev/shm") ? "/dev/shm/tunely-fuzz-XXXXXX"
                                                                  : "/tmp/tunely-fuzz-XXXXXX";
  require(::mkdtemp(pattern.data()) != nullptr);
  deviceRoot() = pattern;
  std::atexit(removeDeviceRoot);
  DeviceRootSet(pattern);
  std::filesystem::create_directories(DevicePathToHost(lowtide::kDataFolder));
  // A refused save shows the alert, as it does once the panel is bound.
  lowtide::setSaveFailureReport(&lowtide::showSaveFailureAlert);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  writeFile(lowtide::kLastStatePath, data, size);
  writeFile(lowtide::kPresetsPath, data, size);
  UIAlertViewForgetVisibleAlerts();

  lowtide::readLastState();
  checkEngineRanges();

  lowtide::presets = nullptr;
  auto manager = make<PresetManager>();
  manager->loadPresetsFromFile();
  const bool loaded = lowtide::presets != nullptr;
  const Ref<NSDictionary> before = manager->getDict();
  if (size == 0) require(loaded && before->count() == 0);

  manager->addPreset(EQPreset::initWithName("fuzz", lowtide::resetValues()).get());
  const std::string after = readFile(lowtide::kPresetsPath);
  if (!loaded || !UIAlertViewVisibleAlerts().empty()) {
    require(after == input);
    return 0;
  }
  require(firstByteXmlCannotKeep(after) == std::string::npos);
  lowtide::presets = nullptr;
  make<PresetManager>()->loadPresetsFromFile();
  require(lowtide::presets != nullptr);
  std::set<std::string> expected = names(before);
  expected.insert("fuzz");
  require(names(lowtide::presets) == expected);
  return 0;
}
