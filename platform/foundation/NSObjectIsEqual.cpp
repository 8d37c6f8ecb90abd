#include <cstddef>

#include "foundation/NSArray.h"
#include "foundation/NSDate.h"
#include "foundation/NSDictionary.h"
#include "foundation/NSNumber.h"

namespace {

template <class T>
const T* as(const NSObject* object) {
  return dynamic_cast<const T*>(object);
}

}  // namespace

bool NSArray::isEqualToArray(const NSArray* other) const {
  if (!other || other->objects_.size() != objects_.size()) return false;
  for (std::size_t i = 0; i < objects_.size(); ++i) {
    if (!NSObjectIsEqual(objects_[i], other->objects_[i])) return false;
  }
  return true;
}

bool NSObjectIsEqual(const NSObject* a, const NSObject* b) {
  if (a == b) return true;
  if (!a || !b) return false;
  if (auto x = as<NSString>(a)) return x->isEqualToString(as<NSString>(b));
  if (auto x = as<NSNumber>(a)) return x->isEqualToNumber(as<NSNumber>(b));
  if (auto x = as<NSData>(a)) return x->isEqualToData(as<NSData>(b));
  if (auto x = as<NSDate>(a)) return x->isEqualToDate(as<NSDate>(b));
  if (auto x = as<NSArray>(a)) return x->isEqualToArray(as<NSArray>(b));
  if (auto x = as<NSDictionary>(a)) return x->isEqualToDictionary(as<NSDictionary>(b));
  return false;
}
