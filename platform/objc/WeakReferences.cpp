// Zeroing weak references. Each object that has ever been referenced weakly owns one box holding
// a pointer back to it; weak references count the box, not the object. When the object goes away
// it clears the pointer under the same lock a weak load takes, so a load either retains a live
// object or reads nil, never a dying one.
#include <mutex>

#include "objc/NSObject.h"

struct objc_weak_box {
  std::atomic<NSObject*> object;
  std::atomic<long> refs;  // weak references plus one for the object while it lives
};

namespace {
std::mutex& weakLock() {
  static auto* lock = new std::mutex;  // outlives static destruction
  return *lock;
}
}  // namespace

objc_weak_box* objc_weakBoxFor(const NSObject* obj) {
  std::lock_guard hold(weakLock());
  objc_weak_box* box = obj->weakBox_.load(std::memory_order_relaxed);
  if (box == nullptr) {
    box = new objc_weak_box{{const_cast<NSObject*>(obj)}, {1}};
    obj->weakBox_.store(box, std::memory_order_relaxed);
  }
  box->refs.fetch_add(1, std::memory_order_relaxed);
  return box;
}

void objc_weakBoxRetain(objc_weak_box* box) noexcept { box->refs.fetch_add(1, std::memory_order_relaxed); }

void objc_weakBoxRelease(objc_weak_box* box) noexcept {
  if (box->refs.fetch_sub(1, std::memory_order_acq_rel) == 1) delete box;
}

NSObject* objc_weakBoxObject(const objc_weak_box* box) noexcept {
  return box->object.load(std::memory_order_acquire);
}

NSObject* objc_weakBoxLoadRetained(const objc_weak_box* box) noexcept {
  std::lock_guard hold(weakLock());
  NSObject* obj = box->object.load(std::memory_order_relaxed);
  return obj != nullptr && obj->tryRetain() ? obj : nullptr;
}

// Called by objc_disposeObject before the object is torn down.
void objc_clearWeakReferences(objc_weak_box* box) noexcept {
  {
    std::lock_guard hold(weakLock());
    box->object.store(nullptr, std::memory_order_release);
  }
  objc_weakBoxRelease(box);
}
