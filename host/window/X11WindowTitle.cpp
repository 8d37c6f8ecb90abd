#include "host/window/X11WindowTitle.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_syswm.h>
#include <X11/Xlib.h>

namespace host {

void setX11WindowTitle(SDL_Window* window, const std::string& utf8Title) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return;
  Display* display = info.info.x11.display;
  const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
  for (const char* name : {"WM_NAME", "_NET_WM_NAME", "WM_ICON_NAME", "_NET_WM_ICON_NAME"})
    XChangeProperty(display, info.info.x11.window, XInternAtom(display, name, False), utf8, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(utf8Title.data()), int(utf8Title.size()));
  XFlush(display);
}

}  // namespace host
