#include "host/cli/PlayerStartup.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "foundation/DeviceRoot.h"
#include "host/install/DeviceRootLayout.h"
#include "host/install/ProgramFiles.h"
#include "host/loader/SubstrateLoader.h"
#include "host/player/DeviceProfile.h"
#include "host/player/PlayerClasses.h"
#include "host/player/PlayerSession.h"
#include "host/window/PlayerWindow.h"
#include "uikit/UIWindow.h"

namespace host {
namespace {

// The keys the window gives the player itself: Space plays or pauses as the play button does;
// the arrows move 5 seconds back or ahead.
void handlePlayerKey(PlayerSession& session, PlayerKey key) {
  PlayerTransport& t = session.transport();
  switch (key) {
    case PlayerKey::PlayPause:
      msgSend<void>(session.controlsView(), sel_registerName("_playPauseButton:"), nullptr);
      break;
    case PlayerKey::SeekBack: t.seekTo = std::max(0.0, t.position - 5); break;
    case PlayerKey::SeekForward: t.seekTo = std::min(t.duration, t.position + 5); break;
  }
}

}  // namespace

std::string setUpDeviceRoot(const std::string& requested, bool noTweaks, const std::string& profile,
                            std::string& error) {
  std::string root = requested.empty() ? defaultDeviceRoot() : requested;
  if (root.empty()) {
    error = "no device root: set HOME or XDG_DATA_HOME, or use --device-root";
    return {};
  }
  std::error_code ec;
  root = std::filesystem::absolute(root, ec).lexically_normal().string();
  while (root.size() > 1 && root.back() == '/') root.pop_back();
  InstallSources sources;
  if (!findProgramFiles(sources, error)) return {};
  if (noTweaks) sources.lowtideLibrary.clear();
  if (!layOutDeviceRoot(root, sources, error)) return {};
  DeviceRootSet(root);
  applyDeviceProfile(*findDeviceProfile(profile));
  return root;
}

// Loads the tweaks into the player's process. The player's classes must exist for the hooks to
// land, as they do in the phone's player binary before Substrate loads anything.
bool loadTweaks(const std::string& root) {
  registerPlayerClasses();
  LoadReport report = loadSubstrateLibraries(root);
  for (const std::string& error : report.errors)
    std::fprintf(stderr, "tunely: cannot load the substrate library %s\n", error.c_str());
  if (report.loaded.empty() && report.errors.empty())
    std::fprintf(stderr, "tunely: no substrate library in \"%s\"\n",
                 dynamicLibrariesFolder(root).c_str());
  for (const std::string& name : report.loaded) std::printf("Loaded %s\n", name.c_str());
  return report.errors.empty();
}

std::unique_ptr<PlayerWindow> openPlayerWindow(PlayerSession& session, int scale,
                                               const std::string& title) {
  std::string error;
  auto* screen = static_cast<UIWindow*>(session.window());
  std::unique_ptr<PlayerWindow> window = PlayerWindow::open(screen, scale, title, error);
  if (!window) {
    std::fprintf(stderr, "tunely: playing without a window: %s\n", error.c_str());
    return nullptr;
  }
  window->onPlayerKey = [&session](PlayerKey key) { handlePlayerKey(session, key); };
  return window;
}

}  // namespace host
