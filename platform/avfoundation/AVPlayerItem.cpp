#include "avfoundation/AVPlayerItem.h"

Ref<AVPlayerItem> AVPlayerItem::playerItemWithAsset(AVAsset* asset) {
  Ref<AVPlayerItem> item = make<AVPlayerItem>();
  item->asset_ = Ref<AVAsset>(asset);
  return item;
}
