#include "host/window/PlayerWindow.h"

#include <SDL2/SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <optional>

#include "coregraphics/CGContext.h"
#include "host/window/X11WindowTitle.h"
#include "foundation/NSRunLoop.h"
#include "uikit/UIApplication.h"
#include "uikit/UIResponder.h"

namespace host {

struct PlayerWindow::Impl {
  Ref<UIWindow> screen;
  SDL_Window* window = nullptr;
  SDL_Renderer* renderer = nullptr;
  SDL_Texture* texture = nullptr;
  // The screen's pixels, kept between drawings: each drawing changes only what changed.
  std::unique_ptr<CGBitmapContext> bitmap;
  bool drawEverything = true;
  uint64_t drawnGeneration = ~uint64_t(0);
  bool drawnAnimating = false;
  bool fingerDown = false;

  ~Impl() {
    if (texture) SDL_DestroyTexture(texture);
    if (renderer) SDL_DestroyRenderer(renderer);
    if (window) SDL_DestroyWindow(window);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
  }
};

bool displayAvailable() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"})
    if (const char* v = std::getenv(name); v && *v) return true;
  return false;
}

std::unique_ptr<PlayerWindow> PlayerWindow::open(UIWindow* screen, int scale, const std::string& title,
                                                 std::string& error) {
  if (!displayAvailable()) {
    error = "no display (neither DISPLAY nor WAYLAND_DISPLAY is set)";
    return nullptr;
  }
  // Ctrl-C in the terminal stays the player's own stop request.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  // The screen is drawn in software; showing it needs no OpenGL (which would start a GPU
  // driver's threads for nothing).
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  SDL_SetHint(SDL_HINT_RENDER_DRIVER, "software");
  // The window goes on the display named, or nowhere: SDL would otherwise fall back to a
  // driver that shows nothing (SDL_VIDEODRIVER in the environment still decides).
  const char* x11 = std::getenv("DISPLAY");
  SDL_SetHint(SDL_HINT_VIDEODRIVER, x11 && *x11 ? "x11" : "wayland");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    error = SDL_GetError();
    return nullptr;
  }
  auto impl = std::make_unique<Impl>();
  impl->screen = Ref<UIWindow>(screen);
  const CGSize points = screen->bounds().size;
  if (scale <= 0) {
    // Twice the points where the desktop is tall enough for that, as on the phone's screen.
    SDL_Rect usable{};
    scale = SDL_GetDisplayUsableBounds(0, &usable) == 0 && usable.h >= int(points.height * 2) + 40 ? 2 : 1;
  }
  const int width = int(std::lround(points.width * scale)), height = int(std::lround(points.height * scale));
  impl->window = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height, 0);
  if (impl->window) impl->renderer = SDL_CreateRenderer(impl->window, -1, SDL_RENDERER_SOFTWARE);
  if (impl->renderer)
    impl->texture = SDL_CreateTexture(impl->renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, width, height);
  if (!impl->texture) {
    error = SDL_GetError();
    return nullptr;
  }
  SDL_StartTextInput();
  std::unique_ptr<PlayerWindow> w(new PlayerWindow(std::move(impl), scale));
  w->redraw();
  return w;
}

PlayerWindow::PlayerWindow(std::unique_ptr<Impl> impl, int scale) : impl_(std::move(impl)), scale_(scale) {}
PlayerWindow::~PlayerWindow() = default;

void PlayerWindow::setTitle(const std::string& title) {
  SDL_SetWindowTitle(impl_->window, title.c_str());
  setX11WindowTitle(impl_->window, title);
}

void PlayerWindow::redraw() {
  const uint64_t generation = UIView::displayGeneration();
  const bool animating = UIView::animationsRunning();
  const double now = NSRunLoop::mainRunLoop()->currentTime();
  const std::optional<double> blurDue = impl_->screen->nextBlurDue();
  // While something moves every frame differs; one more frame once it stops shows where it ended.
  if (generation == impl_->drawnGeneration && !animating && !impl_->drawnAnimating && !impl_->drawEverything &&
      !(blurDue && now >= *blurDue))
    return;
  const bool everything = impl_->drawEverything || animating || impl_->drawnAnimating;
  impl_->drawnGeneration = generation;
  impl_->drawnAnimating = animating;
  impl_->drawEverything = false;
  if (!impl_->bitmap) impl_->bitmap = std::make_unique<CGBitmapContext>(impl_->screen->bounds().size, scale_);
  impl_->screen->drawChanges(impl_->bitmap->context(), everything, now);
  SDL_UpdateTexture(impl_->texture, nullptr, impl_->bitmap->premultipliedARGB(), impl_->bitmap->stride());
  SDL_RenderClear(impl_->renderer);
  SDL_RenderCopy(impl_->renderer, impl_->texture, nullptr, nullptr);
  SDL_RenderPresent(impl_->renderer);
}

namespace {

bool keyboardTakesText() {
  return dynamic_cast<UIKeyInput*>(UIApplication::sharedApplication()->firstResponder()) != nullptr;
}

}  // namespace

bool PlayerWindow::handle(const void* raw) {
  const SDL_Event& e = *static_cast<const SDL_Event*>(raw);
  UIApplication* app = UIApplication::sharedApplication();
  auto point = [this](int x, int y) { return CGPointMake(double(x) / scale_, double(y) / scale_); };
  switch (e.type) {
    case SDL_QUIT: return false;
    case SDL_WINDOWEVENT:
      if (e.window.event == SDL_WINDOWEVENT_CLOSE) return false;
      if (e.window.event == SDL_WINDOWEVENT_EXPOSED) impl_->drawEverything = true;
      break;
    case SDL_MOUSEBUTTONDOWN:
      if (e.button.button == SDL_BUTTON_LEFT) {
        impl_->fingerDown = true;
        SDL_CaptureMouse(SDL_TRUE);  // the finger keeps its touch wherever it goes
        app->handleTouch(UITouchPhase::Began, point(e.button.x, e.button.y));
      }
      break;
    case SDL_MOUSEMOTION:
      if (impl_->fingerDown) app->handleTouch(UITouchPhase::Moved, point(e.motion.x, e.motion.y));
      break;
    case SDL_MOUSEBUTTONUP:
      if (e.button.button == SDL_BUTTON_LEFT && impl_->fingerDown) {
        impl_->fingerDown = false;
        SDL_CaptureMouse(SDL_FALSE);
        app->handleTouch(UITouchPhase::Ended, point(e.button.x, e.button.y));
      }
      break;
    case SDL_MOUSEWHEEL: {
      if (!onWheel || impl_->fingerDown) break;
      int x = 0, y = 0;
      SDL_GetMouseState(&x, &y);
      const int notches = e.wheel.y != 0 ? e.wheel.y : e.wheel.x;
      if (notches != 0) onWheel(point(x, y), e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -notches : notches);
      break;
    }
    case SDL_DROPFILE:
      if (e.drop.file) {
        const std::string path = e.drop.file;
        SDL_free(e.drop.file);
        if (onDrop) onDrop(path);
      }
      break;
    case SDL_TEXTINPUT:
      if (keyboardTakesText()) app->handleKeyText(e.text.text);
      // A lone text field of a dialog takes what is typed before it was clicked.
      else if (onStrayText && onStrayText(e.text.text)) break;
      else if (std::string(e.text.text) == " " && onPlayerKey) onPlayerKey(PlayerKey::PlayPause);
      else if ((std::string(e.text.text) == "b" || std::string(e.text.text) == "B") && onPlayerKey)
        onPlayerKey(PlayerKey::Compare);
      break;
    case SDL_KEYDOWN: {
      const SDL_Keycode key = e.key.keysym.sym;
      const bool control = (e.key.keysym.mod & KMOD_CTRL) != 0;
      if (control && (key == SDLK_q || key == SDLK_c)) return false;
      if (onPlayerKey) {
        switch (key) {
          case SDLK_ESCAPE: onPlayerKey(PlayerKey::Cancel); return true;
          case SDLK_AUDIOPLAY: onPlayerKey(PlayerKey::PlayPause); return true;
          case SDLK_AUDIONEXT: onPlayerKey(PlayerKey::Next); return true;
          case SDLK_AUDIOPREV: onPlayerKey(PlayerKey::Previous); return true;
          default: break;
        }
      }
      if (keyboardTakesText()) {
        if (key == SDLK_BACKSPACE) app->handleKeyBackspace();
        else if (key == SDLK_RETURN || key == SDLK_KP_ENTER) app->handleKeyReturn();
        else if (key == SDLK_LEFT) app->handleKeyCaret(UITextCaretMove::Left);
        else if (key == SDLK_RIGHT) app->handleKeyCaret(UITextCaretMove::Right);
        else if (key == SDLK_HOME) app->handleKeyCaret(UITextCaretMove::Home);
        else if (key == SDLK_END) app->handleKeyCaret(UITextCaretMove::End);
      } else if (onPlayerKey) {
        if (key == SDLK_LEFT || key == SDLK_RIGHT) onPlayerKey(key == SDLK_LEFT ? PlayerKey::SeekBack : PlayerKey::SeekForward);
        else if (key == SDLK_UP || key == SDLK_DOWN) onPlayerKey(key == SDLK_UP ? PlayerKey::VolumeUp : PlayerKey::VolumeDown);
      }
      break;
    }
    default: break;
  }
  return true;
}

bool PlayerWindow::pump(double maxWait) {
  if (quit_) return false;
  // Sleep no longer than until the next timer, or the next frame while something moves.
  double wait = std::max(0.0, maxWait);
  NSRunLoop* loop = NSRunLoop::mainRunLoop();
  if (auto due = loop->nextFireDate()) wait = std::min(wait, std::max(0.0, *due - loop->currentTime()));
  if (UIView::animationsRunning()) wait = std::min(wait, 1.0 / 60);
  // A blur held back while what lies under it changes is made once its time comes.
  if (auto due = impl_->screen->nextBlurDue()) wait = std::min(wait, std::max(0.0, *due - loop->currentTime()));
  SDL_Event event;
  if (SDL_WaitEventTimeout(&event, int(std::ceil(wait * 1000)))) {
    do {
      if (!handle(&event)) quit_ = true;
    } while (!quit_ && SDL_PollEvent(&event));
  }
  redraw();
  return !quit_;
}

}  // namespace host
