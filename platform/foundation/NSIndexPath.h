// A path to an item in a nested list: here, as UIKit uses it, a row within a section of a table.
// Index paths are values: two with the same section and row are equal.
#pragma once

#include "objc/runtime.h"

class NSIndexPath : public NSObject {
 public:
  static Class runtimeClass();  // "NSIndexPath"
  NSIndexPath(NSInteger row, NSInteger section) : row_(row), section_(section) {}

  // indexPathForRow:inSection:
  static Ref<NSIndexPath> indexPathForRow(NSInteger row, NSInteger section);

  NSInteger row() const { return row_; }
  NSInteger section() const { return section_; }
  bool isEqual(const NSIndexPath* other) const {
    return other != nullptr && other->row_ == row_ && other->section_ == section_;
  }

 private:
  NSInteger row_;
  NSInteger section_;
};
