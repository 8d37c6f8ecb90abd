// A point in time, as property lists store dates: seconds since 2001-01-01 00:00:00 UTC.
#pragma once

#include "objc/NSObject.h"

class NSDate : public NSObject {
 public:
  explicit NSDate(double secondsSinceReferenceDate) : seconds_(secondsSinceReferenceDate) {}
  static Ref<NSDate> dateWithTimeIntervalSinceReferenceDate(double seconds) {
    return make<NSDate>(seconds);
  }
  double timeIntervalSinceReferenceDate() const { return seconds_; }
  bool isEqualToDate(const NSDate* other) const { return other && seconds_ == other->seconds_; }

 private:
  double seconds_;
};
