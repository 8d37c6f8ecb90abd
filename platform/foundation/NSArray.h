// An immutable ordered list of objects.
#pragma once

#include <cstddef>
#include <vector>

#include "objc/NSObject.h"

class NSArray : public NSObject {
 public:
  explicit NSArray(std::vector<Ref<NSObject>> objects) : objects_(std::move(objects)) {}

  std::size_t count() const { return objects_.size(); }
  NSObject* objectAtIndex(std::size_t index) const { return objects_.at(index).get(); }
  const std::vector<Ref<NSObject>>& objects() const { return objects_; }
  bool isEqualToArray(const NSArray* other) const;

 private:
  std::vector<Ref<NSObject>> objects_;
};

// Foundation's isEqual: for strings, numbers, data, dates, arrays and dictionaries equal contents
// (containers compared element by element); for any other object, identity.
bool NSObjectIsEqual(const NSObject* a, const NSObject* b);
