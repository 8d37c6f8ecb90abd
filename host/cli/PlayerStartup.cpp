#include "host/cli/PlayerStartup.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "foundation/DeviceRoot.h"
#include "host/install/DeviceRootLayout.h"
#include "host/install/ProgramFiles.h"
#include "host/loader/SubstrateLoader.h"
#include "host/player/DeviceProfile.h"
#include "host/player/PlayerClasses.h"
#include "host/player/PlayerSession.h"
#include "host/script/ScreenActions.h"
#include "host/window/PlayerWindow.h"
#include "uikit/UIAlertView.h"
#include "uikit/UIWindow.h"
#include "host/text/MessageText.h"

namespace host {
namespace {

void handlePlayerKey(PlayerSession& session, ScreenActions& actions, PlayerKey key) {
  PlayerTransport& t = session.transport();
  NSObject* controls = session.controlsView();
  switch (key) {
    case PlayerKey::PlayPause: msgSend<void>(controls, sel_registerName("_playPauseButton:"), nullptr); break;
    case PlayerKey::Next: msgSend<void>(controls, sel_registerName("_nextTrackButton:"), nullptr); break;
    case PlayerKey::Previous: msgSend<void>(controls, sel_registerName("_previousTrackButton:"), nullptr); break;
    case PlayerKey::SeekBack: t.seekTo = std::max(0.0, t.position - 5); break;
    case PlayerKey::SeekForward: t.seekTo = std::min(t.duration, t.position + 5); break;
    case PlayerKey::VolumeUp:
    case PlayerKey::VolumeDown:
      t.volume = std::clamp(t.volume + (key == PlayerKey::VolumeUp ? 0.05f : -0.05f), 0.0f, 1.0f);
      session.showVolume();
      break;
    case PlayerKey::Cancel: actions.cancelFrontmost(); break;
    case PlayerKey::Compare: t.requestCompare(!t.compareOn, false); break;
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
    std::fprintf(stderr, "tunely: no substrate library in %s\n",
                 quotedPath(dynamicLibrariesFolder(root)).c_str());
  for (const std::string& name : report.loaded) std::printf("Loaded %s\n", printable(name).c_str());
  return report.errors.empty();
}

std::unique_ptr<PlayerWindow> openPlayerWindow(PlayerSession& session, int scale,
                                               const std::string& title, bool asked,
                                               std::string& failure) {
  std::string error;
  auto* screen = static_cast<UIWindow*>(session.window());
  std::unique_ptr<PlayerWindow> window = PlayerWindow::open(screen, scale, title, error);
  if (!window) {
    if (asked || displayAvailable()) {
      const char* display = std::getenv("DISPLAY");
      if (!display || !*display) display = std::getenv("WAYLAND_DISPLAY");
      failure = display && *display ? "cannot open a window on the display " + quotedWord(display) + ": " + error
                                    : "cannot open a window: " + error;
    } else {
      std::fprintf(stderr, "tunely: playing without a window: %s\n", error.c_str());
    }
    return nullptr;
  }
  // Alerts show on the window; the terminal need not repeat them.
  UIAlertView::setEchoesToStandardError(false);
  return window;
}

void wireWindow(PlayerWindow& window, PlayerSession& session, ScreenActions& actions) {
  window.onPlayerKey = [&session, &actions](PlayerKey key) { handlePlayerKey(session, actions, key); };
  window.onWheel = [&actions](CGPoint point, int notches) { actions.nudgeSliderAt(point, notches); };
  window.onStrayText = [&actions](const std::string& text) { return actions.typeIntoLoneField(text); };
}

void keepVolume(const std::string& settingsPath, const PlayerSettings& atStart, float volume) {
  if (volume == atStart.volume) return;
  PlayerSettings changed = atStart;
  changed.volume = volume;
  std::string error;
  if (!writePlayerSettings(settingsPath, changed, error))
    std::fprintf(stderr, "tunely: the volume is not kept for the next session: %s\n", error.c_str());
}

}  // namespace host
