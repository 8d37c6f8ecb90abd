// The window's title in both of X11's title properties as UTF-8. SDL sets the legacy WM_NAME as
// Latin-1 text holding UTF-8 bytes (a dash comes out as "â\302\200\302\224") and leaves
// _NET_WM_NAME as it was when the locale is not a UTF-8 one; window lists and task bars read
// either.
#pragma once

#include <string>

struct SDL_Window;

namespace host {

// Does nothing where the window is not an X11 one.
void setX11WindowTitle(SDL_Window* window, const std::string& utf8Title);

}  // namespace host
