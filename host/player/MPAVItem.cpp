#include "host/player/MPAVItem.h"

#include "avfoundation/AVAsset.h"
#include "avfoundation/AVPlayerItem.h"

namespace host {
namespace {
MPAVItem* item(id self) { return static_cast<MPAVItem*>(self); }
}  // namespace

OBJC_CLASS_WITH_MEMBERS(MPAVItem, NSObject)

void MPAVItem::registerMembers(Class cls) {
  class_addIvar(cls, "_avPlayerItem", OBJC_IVAR_OFFSET(MPAVItem, _avPlayerItem), "@");
  class_addMethod(cls, sel_registerName("setPlayerItem:"), &setPlayerItem, "v@:@");
  class_addMethod(cls, sel_registerName("loadAssetAndPlayerItem"), &loadAssetAndPlayerItem, "v@:");
}

Ref<MPAVItem> MPAVItem::make(std::string path) {
  Ref<MPAVItem> result = objc_make<MPAVItem>(runtimeClass());
  result->path_ = std::move(path);
  return result;
}

MPAVItem::~MPAVItem() {
  if (_avPlayerItem != nullptr) _avPlayerItem->release();
}

void MPAVItem::setPlayerItem(id self, SEL, id playerItem) {
  MPAVItem* queueItem = item(self);
  ++queueItem->setPlayerItemCalls_;
  if (playerItem != nullptr) playerItem->retain();
  id old = queueItem->_avPlayerItem;
  queueItem->_avPlayerItem = playerItem;
  if (old != nullptr) old->release();
}

void MPAVItem::loadAssetAndPlayerItem(id self, SEL) {
  MPAVItem* queueItem = item(self);
  ++queueItem->loadCalls_;
  Ref<AVURLAsset> asset = AVURLAsset::URLAssetWithURL(queueItem->path_);
  Ref<AVPlayerItem> playerItem = AVPlayerItem::playerItemWithAsset(asset.get());
  msgSend<void>(self, sel_registerName("setPlayerItem:"), playerItem);
}

}  // namespace host
