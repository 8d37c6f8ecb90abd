// An item of the play queue: a file and the AVPlayerItem that plays it. The player item lives in
// the instance variable `_avPlayerItem` (registered with the runtime, retained by hand as the
// platform's objects do), and the runtime methods are:
//   setPlayerItem: (an AVPlayerItem or nil)   "v@:@"  stores it
//   loadAssetAndPlayerItem                     "v@:"   makes an item for the file and sends
//                                                      setPlayerItem: with it to itself
#pragma once

#include <string>

#include "objc/runtime.h"

namespace host {

class MPAVItem : public NSObject {
 public:
  static Class runtimeClass();  // "MPAVItem", a subclass of "NSObject"
  static Ref<MPAVItem> make(std::string path);
  static void registerMembers(Class cls);
  ~MPAVItem() override;

  const std::string& path() const { return path_; }
  int loadCalls() const { return loadCalls_; }
  int setPlayerItemCalls() const { return setPlayerItemCalls_; }

  id _avPlayerItem = nullptr;  // retained

 private:
  static void setPlayerItem(id self, SEL, id item);
  static void loadAssetAndPlayerItem(id self, SEL);

  std::string path_;
  int loadCalls_ = 0;
  int setPlayerItemCalls_ = 0;
};

}  // namespace host
