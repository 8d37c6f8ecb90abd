// The root object: an intrusive reference count and the class pointer the runtime dispatches on.
// A strong reference is a Ref<T>; a zeroing weak reference is a Weak<T>; a plain pointer never
// owns and is only safe while someone else holds the object.
#pragma once

#include <atomic>
#include <cstddef>
#include <utility>

struct objc_class;
using Class = objc_class*;
class NSObject;
struct objc_weak_box;

// Ends an object whose last reference went away: weak references to it read nil from then on;
// an object with a runtime class is sent `dealloc` (so replaced `dealloc` methods run, the root
// one deleting it); any other is deleted.
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
  // Retains unless the object is already on its way out (count 0); answers whether it did.
  bool tryRetain() const noexcept {
    long n = refs_.load(std::memory_order_relaxed);
    while (n > 0 && !refs_.compare_exchange_weak(n, n + 1, std::memory_order_relaxed)) {
    }
    return n > 0;
  }

  // Whether the runtime class of this object is `cls` or descends from it.
  bool isKindOfClass(Class cls) const noexcept;
  // Whether the object's class has a method for `sel` (its own or inherited).
  bool respondsToSelector(const struct objc_selector* sel) const noexcept;

  // The runtime class of this object; nil for objects of plain C++ classes that have none. Set
  // once, when the object is made (by make<T> for a class with a runtime class, or by the
  // class's factory), never by a constructor: a constructor must not send messages to itself.
  Class isa = nullptr;

 private:
  friend void objc_disposeObject(NSObject*) noexcept;
  friend objc_weak_box* objc_weakBoxFor(const NSObject* obj);
  mutable std::atomic<long> refs_{1};
  mutable std::atomic<objc_weak_box*> weakBox_{nullptr};  // made by the first weak reference
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
  // A plain pointer only from a reference that outlives it: converting a temporary (such as the
  // result of a factory) would leave the pointer dangling once the statement ends.
  operator T*() const& noexcept { return p_; }
  operator T*() const&& = delete;
  T* detach() noexcept { return std::exchange(p_, nullptr); }

 private:
  T* p_ = nullptr;
};

template <class T, class U>
bool operator==(const Ref<T>& a, const U* b) noexcept { return a.get() == b; }
template <class T, class U>
bool operator==(const Ref<T>& a, const Ref<U>& b) noexcept { return a.get() == b.get(); }
template <class T>
bool operator==(const Ref<T>& a, std::nullptr_t) noexcept { return a.get() == nullptr; }

// Makes a new object owned by the returned reference. A class with a runtime class (a static
// `runtimeClass()`) gets it here, the one place its `isa` is set.
template <class T, class... Args>
Ref<T> make(Args&&... args) {
  T* object = new T(std::forward<Args>(args)...);
  if constexpr (requires { T::runtimeClass(); }) object->isa = T::runtimeClass();
  return Ref<T>::adopt(object);
}

// Weak references share one box per object, which the object clears when it goes away.
objc_weak_box* objc_weakBoxFor(const NSObject* obj);  // counted: pair with objc_weakBoxRelease
void objc_weakBoxRetain(objc_weak_box* box) noexcept;
void objc_weakBoxRelease(objc_weak_box* box) noexcept;
NSObject* objc_weakBoxObject(const objc_weak_box* box) noexcept;    // nil once gone
NSObject* objc_weakBoxLoadRetained(const objc_weak_box* box) noexcept;  // +1, or nil once gone

// A zeroing weak reference: it never keeps the object alive and reads nil once the object has
// gone away, so a target or delegate that went away is skipped rather than called.
template <class T>
class Weak {
 public:
  Weak() noexcept = default;
  Weak(std::nullptr_t) noexcept {}
  Weak(T* p) : box_(p ? objc_weakBoxFor(p) : nullptr), p_(p) {}
  template <class U>
  Weak(const Ref<U>& r) : Weak(static_cast<T*>(r.get())) {}
  Weak(const Weak& o) noexcept : box_(o.box_), p_(o.p_) {
    if (box_) objc_weakBoxRetain(box_);
  }
  Weak(Weak&& o) noexcept : box_(std::exchange(o.box_, nullptr)), p_(std::exchange(o.p_, nullptr)) {}
  ~Weak() {
    if (box_) objc_weakBoxRelease(box_);
  }
  Weak& operator=(Weak o) noexcept {
    std::swap(box_, o.box_);
    std::swap(p_, o.p_);
    return *this;
  }

  // The object, or nil once it has gone away. For the thread that owns the object (the main
  // thread for views); another thread takes a strong reference with lock().
  T* get() const noexcept { return box_ && objc_weakBoxObject(box_) ? p_ : nullptr; }
  Ref<T> lock() const noexcept {
    if (!box_ || !objc_weakBoxLoadRetained(box_)) return nullptr;
    return Ref<T>::adopt(p_);
  }
  T* operator->() const noexcept { return get(); }
  explicit operator bool() const noexcept { return get() != nullptr; }
  operator T*() const noexcept { return get(); }

 private:
  objc_weak_box* box_ = nullptr;
  T* p_ = nullptr;  // the object as T (a base may sit at another address than NSObject's)
};
