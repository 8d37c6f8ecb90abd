// What `tunely play` and `tunely sink` both do before anything plays (the device root laid out
// and chosen, the tweaks loaded into the player's process, the window opened) and after the
// session (the volume kept).
#pragma once

#include <memory>
#include <string>

#include "host/player/PlayerSettings.h"

namespace host {

class PlayerSession;
class PlayerWindow;
class ScreenActions;

// The device root to use (`requested`, or the default one), absolute, with Lowtide.dylib and the
// resources installed unless `noTweaks`, set as the process's root under `profile`. Empty with
// the reason when it cannot be.
std::string setUpDeviceRoot(const std::string& requested, bool noTweaks, const std::string& profile,
                            std::string& error);

// Loads the tweaks into the player's process. The player's classes must exist for the hooks to
// land, as they do in the phone's player binary before Substrate loads anything. False when a
// library failed to load (each is reported).
bool loadTweaks(const std::string& root);

// The player's window titled `title`. Without a display the player says so once and goes on
// without one; a window `asked` for, or one a named display will not take, is an error
// (`failure` set, naming the display). While a window shows, alerts are not echoed to the
// terminal.
std::unique_ptr<PlayerWindow> openPlayerWindow(PlayerSession& session, int scale,
                                               const std::string& title, bool asked,
                                               std::string& failure);

// The window's keys, wheel and stray typing, once the screen's actions exist: Space and the play
// key play or pause as the play button does; the arrows move 5 seconds back or ahead, or the
// volume up and down a step; the next and previous keys act as their buttons; Escape taps the
// cancel button of what sits in front; B switches between Tunely and Bypass.
void wireWindow(PlayerWindow& window, PlayerSession& session, ScreenActions& actions);

// After the session: the volume the listener left, written to the player's settings at
// `settingsPath` when it differs from the one the session started with (a failure is reported
// on standard error; nothing else changes).
void keepVolume(const std::string& settingsPath, const PlayerSettings& atStart, float volume);

}  // namespace host
