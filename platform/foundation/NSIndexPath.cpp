#include "foundation/NSIndexPath.h"

OBJC_CLASS(NSIndexPath, NSObject)

Ref<NSIndexPath> NSIndexPath::indexPathForRow(NSInteger row, NSInteger section) {
  return make<NSIndexPath>(row, section);
}
