#include "host/player/PlayerClasses.h"

#include <mutex>

#include "host/player/MPAVItem.h"
#include "host/player/MPButton.h"
#include "host/player/MPPlaybackControlsView.h"

namespace host {

void registerPlayerClasses() {
  static std::once_flag once;
  std::call_once(once, [] {
    MPButton::runtimeClass();
    MPPlaybackControlsView::runtimeClass();
    MPAVItem::runtimeClass();
  });
}

}  // namespace host
