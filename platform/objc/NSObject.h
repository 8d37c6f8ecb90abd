// The root object: an intrusive reference count and the class pointer the runtime dispatches on.
// A strong reference is a Ref<T>; a plain pointer never owns.
#pragma once

#include <atomic>
#include <cstddef>
#include <utility>

struct objc_class;
using Class = objc_class*;
class NSObject;

// Ends an object whose last reference went away: an object with a runtime class is sent
// `dealloc` (so replaced `dealloc` methods run, the root one deleting it); any other is deleted.
void objc_disposeObject(NSObject* obj) noexcept;

class NSObject {
 public:
  NSObject() = default;
  NSObject(const NSObject&) = delete;
  NSObject& operator=(const NSObject&) = delete;
  virtual ~NSObject() = default;

  void retain() const noexcept { refs_.fetch_add(1, std::memory_order_relaxed); }
  void release() const noexcept {
    if (refs_.fetch_sub(1, std::memory_order_acq_rel) == 1) objc_disposeObject(const_cast<NSObject*>(this));
  }
  long retainCount() const noexcept { return refs_.load(std::memory_order_relaxed); }

  // Whether the runtime class of this object is `cls` or descends from it.
  bool isKindOfClass(Class cls) const noexcept;

  // The runtime class of this object; nil for objects of plain C++ classes that were never
  // given one. Set once, when the object is made, by whoever registered its class.
  Class isa = nullptr;

 private:
  mutable std::atomic<long> refs_{1};
};

using id = NSObject*;

// A strong reference. Adopting a freshly made object (count 1) takes over that count.
template <class T>
class Ref {
 public:
  Ref() noexcept = default;
  Ref(std::nullptr_t) noexcept {}
  // Retains: the caller keeps its own reference.
  explicit Ref(T* p) noexcept : p_(p) {
    if (p_) p_->retain();
  }
  static Ref adopt(T* p) noexcept {
    Ref r;
    r.p_ = p;
    return r;
  }
  Ref(const Ref& o) noexcept : Ref(o.p_) {}
  Ref(Ref&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  template <class U>
  Ref(const Ref<U>& o) noexcept : Ref(static_cast<T*>(o.get())) {}
  template <class U>
  Ref(Ref<U>&& o) noexcept : p_(o.detach()) {}
  ~Ref() {
    if (p_) p_->release();
  }
  Ref& operator=(Ref o) noexcept {
    std::swap(p_, o.p_);
    return *this;
  }

  T* get() const noexcept { return p_; }
  T* operator->() const noexcept { return p_; }
  T& operator*() const noexcept { return *p_; }
  explicit operator bool() const noexcept { return p_ != nullptr; }
  operator T*() const noexcept { return p_; }
  T* detach() noexcept { return std::exchange(p_, nullptr); }

 private:
  T* p_ = nullptr;
};

// Makes a new object owned by the returned reference.
template <class T, class... Args>
Ref<T> make(Args&&... args) {
  return Ref<T>::adopt(new T(std::forward<Args>(args)...));
}
