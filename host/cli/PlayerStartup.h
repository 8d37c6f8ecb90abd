// What `tunely play` and `tunely sink` both do before anything plays: the device root laid out
// and chosen, the tweaks loaded into the player's process, the window opened.
#pragma once

#include <memory>
#include <string>

namespace host {

class PlayerSession;
class PlayerWindow;

// The device root to use (`requested`, or the default one), absolute, with Lowtide.dylib and the
// resources installed unless `noTweaks`, set as the process's root under `profile`. Empty with
// the reason when it cannot be.
std::string setUpDeviceRoot(const std::string& requested, bool noTweaks, const std::string& profile,
                            std::string& error);

// Loads the tweaks into the player's process. The player's classes must exist for the hooks to
// land, as they do in the phone's player binary before Substrate loads anything. False when a
// library failed to load (each is reported).
bool loadTweaks(const std::string& root);

// The player's window titled `title`, its keys working the session's transport; none when there
// is no display (said once).
std::unique_ptr<PlayerWindow> openPlayerWindow(PlayerSession& session, int scale,
                                               const std::string& title);

}  // namespace host
