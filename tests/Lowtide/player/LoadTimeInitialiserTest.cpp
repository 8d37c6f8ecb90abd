// Loading the installed library runs its constructor, which hooks the player's classes.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "foundation/DeviceRoot.h"
#include "foundation/NSRunLoop.h"

#include "host/player/MPPlaybackControlsView.h"
#include "host/player/PlayerClasses.h"
#include "host/player/PlayerSession.h"

namespace {

std::filesystem::path builtLibrary() {
  return std::filesystem::read_symlink("/proc/self/exe").parent_path() / "Lowtide.dylib";
}

TEST(LoadTimeInitialiser, LoadingTheLibraryInstallsTheHooks) {
  char pattern[] = "/tmp/tunely-load-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  DeviceRootSet(pattern);
  host::registerPlayerClasses();
  Class controls = objc_getClass("MPPlaybackControlsView");
  SEL initialize = sel_registerName("_initializeControls");
  IMP playersOwn = method_getImplementation(class_getInstanceMethod(controls, initialize));
  ASSERT_FALSE(class_respondsToSelector(controls, sel_registerName("loadSettings")));

  const std::filesystem::path library = builtLibrary();
  ASSERT_TRUE(std::filesystem::exists(library)) << library;
  void* handle = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(handle, nullptr) << dlerror();

  EXPECT_NE(method_getImplementation(class_getInstanceMethod(controls, initialize)), playersOwn);
  for (const char* added : {"loadSettings", "tf", "showCTRLS"}) {
    Method m = class_getInstanceMethod(controls, sel_registerName(added));
    ASSERT_NE(m, nullptr) << added;
    EXPECT_STREQ(method_getTypeEncoding(m), "v@:");
  }

  // The hooked player gets its equalizer button.
  host::PlayerSession session;
  session.setUpControls();
  auto* view = static_cast<host::MPPlaybackControlsView*>(session.controlsView());
  int equalizerButtons = 0;
  for (const Ref<UIView>& sub : view->subviews()) equalizerButtons += sub->tag() == 5;
  EXPECT_EQ(equalizerButtons, 2);

  // The state loads scheduled by the set-up run inside the temporary device root.
  NSRunLoop::mainRunLoop()->setClock([] { return 1e12; });
  NSRunLoop::mainRunLoop()->fireDueTimers();
  NSRunLoop::mainRunLoop()->setClock(nullptr);
  EXPECT_TRUE(std::filesystem::exists(DevicePathToHost("/var/mobile/Library/Application Support/Tunely/last.plist")));
  std::filesystem::remove_all(pattern);
  // The library stays loaded for the life of the process, as in the player.
}

}  // namespace
