// Arbitrary bytes as a layout file, loaded through UINib exactly as a view controller loads its
// view, with an owner that has outlets and actions of every kind. A layout that loads is laid
// out, drawn into a small bitmap and tapped in the middle. Beyond the sanitizers' checks it
// traps when:
//  - a refused layout has no message, or one that does not start with the layout's name;
//  - a refused layout left any object in the owner's outlets (a layout is refused whole);
//  - a layout that loads reports a message anyway.
#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "foundation/DeviceRoot.h"
#include "foundation/NSBundle.h"
#include "uikit/UIApplication.h"
#include "uikit/UIBarButtonItem.h"
#include "uikit/UIButton.h"
#include "uikit/UILabel.h"
#include "uikit/UINavigationItem.h"
#include "uikit/UINib.h"
#include "uikit/UIToolbar.h"
#include "uikit/UIViewController.h"
#include "uikit/UIWindow.h"

namespace {

void require(bool condition) {
  if (!condition) __builtin_trap();
}

// The file's owner: strong and weak outlets of several classes, and an action of each form.
class FuzzLayoutOwner : public UIViewController {
 public:
  static Class runtimeClass();
  static void registerMembers(Class cls) {
    class_addOutlet(cls, "panel", &FuzzLayoutOwner::panel);
    class_addOutlet(cls, "label", &FuzzLayoutOwner::label);
    class_addOutlet(cls, "button", &FuzzLayoutOwner::button);
    class_addOutlet(cls, "toolbar", &FuzzLayoutOwner::toolbar);
    class_addOutlet(cls, "navigationItem", &FuzzLayoutOwner::navigationItem);
    class_addOutlet(cls, "doneItem", &FuzzLayoutOwner::doneItem);
    class_addMethod(cls, sel_registerName("close:"), +[](id self, SEL, id) { ++static_cast<FuzzLayoutOwner*>(self)->actions; }, "v@:@");
    class_addMethod(cls, sel_registerName("changed"), +[](id self, SEL) { ++static_cast<FuzzLayoutOwner*>(self)->actions; }, "v@:");
    class_addMethod(cls, sel_registerName("tapped:withEvent:"), +[](id self, SEL, id, id) { ++static_cast<FuzzLayoutOwner*>(self)->actions; }, "v@:@@");
  }
  bool anyOutletSet() const {
    return panel || label || button || toolbar || navigationItem || doneItem || isViewLoaded();
  }

  Ref<UIView> panel;
  Weak<UILabel> label;
  Ref<UIButton> button;
  Weak<UIToolbar> toolbar;
  Ref<UINavigationItem> navigationItem;
  Weak<UIBarButtonItem> doneItem;
  int actions = 0;
};

std::string& deviceRoot() {
  static std::string root;
  return root;
}

void removeDeviceRoot() {
  std::error_code ec;
  std::filesystem::remove_all(deviceRoot(), ec);
}

}  // namespace

OBJC_CLASS_WITH_MEMBERS(FuzzLayoutOwner, UIViewController)

// Fontconfig keeps its caches behind offsets instead of pointers, which the leak checker takes
// for leaks; they belong to the font configuration that lives as long as the process.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
// The run's closing lines stay the fuzzer's own summary.
extern "C" const char* __lsan_default_options() { return "print_suppressions=0"; }

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  char pattern[] = "/tmp/tunely-fuzz-layout-XXXXXX";
  if (mkdtemp(pattern) == nullptr) std::abort();
  deviceRoot() = pattern;
  DeviceRootSet(deviceRoot());
  std::filesystem::create_directories(DevicePathToHost("/Layouts"));
  std::atexit(removeDeviceRoot);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  {
    std::ofstream out(DevicePathToHost("/Layouts/fuzz.plist"), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), std::streamsize(size));
  }
  Ref<NSBundle> bundle = NSBundle::bundleWithPath("/Layouts");
  Ref<UINib> nib = UINib::nibWithNibName("fuzz", bundle.get());
  Ref<FuzzLayoutOwner> owner = make<FuzzLayoutOwner>();
  std::string error;
  Ref<UIView> root = nib->instantiateWithOwner(owner.get(), error);
  if (!root) {
    require(error.rfind("fuzz: ", 0) == 0 && error.size() > 6);
    require(!owner->anyOutletSet());
    return 0;
  }
  require(error.empty());

  Ref<UIWindow> window = make<UIWindow>(CGRectMake(0, 0, 48, 48));
  window->addSubview(root);
  CGBitmapContext bitmap(CGSizeMake(48, 48), 1);
  window->drawHierarchy(bitmap.context());
  window->makeKeyAndVisible();
  UIApplication::sharedApplication()->handleTouch(UITouchPhase::Began, CGPointMake(24, 24));
  UIApplication::sharedApplication()->handleTouch(UITouchPhase::Ended, CGPointMake(24, 24));
  window->drawHierarchy(bitmap.context());
  return 0;
}
