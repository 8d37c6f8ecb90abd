// A small object runtime with the public API of the platform's: classes by name, interned
// selectors, per-class method tables, instance variables by name, and message sending.
//
// Sending is typed: every implementation is stored with its C++ function type, and msgSend checks
// that the call's type matches before calling. A mismatch (or an unknown selector) prints what was
// sent and aborts, instead of calling through a wrong cast. A message to nil answers zero.
//
// Implementations take the receiver as `id` and the selector as `SEL`, then the method's own
// arguments: `id newButtonForPart(id self, SEL _cmd, uint64_t part)`. Object arguments are `id`.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <typeinfo>
#include <utility>

#include "objc/NSObject.h"

struct objc_selector;
using SEL = const objc_selector*;
struct objc_ivar;
using Ivar = const objc_ivar*;
struct objc_method;
using Method = const objc_method*;
// An implementation with its type erased; the runtime keeps the real type beside it.
using IMP = void (*)();

inline constexpr std::nullptr_t nil = nullptr;
using NSInteger = long;
using NSUInteger = unsigned long;

// Selectors: one per name for the life of the process, compared by pointer.
SEL sel_registerName(const char* name);
const char* sel_getName(SEL sel);

// Classes. Registering a name that exists answers nil. `superclass` nil makes a root class.
Class objc_registerClass(const char* name, Class superclass);
// A class whose objects can be made by name (a layout file names the class of each of its
// objects): `factory` makes a new object of the class's C++ type, count 1, without a class.
using objc_factory = NSObject* (*)();
Class objc_registerClassWithFactory(const char* name, Class superclass, objc_factory factory);
// A new object of `cls` (count 1, owned by the result) made by the nearest factory up its chain
// of superclasses, its class set to `cls`; nil when no class of the chain has a factory.
Ref<NSObject> class_createInstance(Class cls);
Class objc_getClass(const char* name);  // nil for an unknown name
const char* class_getName(Class cls);
Class class_getSuperclass(Class cls);
Class object_getClass(id obj);  // nil for nil and for objects without a runtime class
bool class_isSubclassOf(Class cls, Class ancestor);  // true for cls itself

// The root class "NSObject": its `dealloc` deletes the object. Every class meant to hold
// objects released through the runtime should descend from it.
Class objc_rootClass();

// Instance variables: a name and the byte offset of its storage from the object's start.
// OBJC_IVAR_OFFSET gives that offset for a member of a class derived from NSObject.
bool class_addIvar(Class cls, const char* name, std::ptrdiff_t offset, const char* types);
Ivar class_getInstanceVariable(Class cls, const char* name);  // searches superclasses; nil if none
std::ptrdiff_t ivar_getOffset(Ivar ivar);
const char* ivar_getName(Ivar ivar);
const char* ivar_getTypeEncoding(Ivar ivar);
// The object an object-typed instance variable holds; nil for a nil object or ivar.
id object_getIvar(id obj, Ivar ivar);

#define OBJC_IVAR_OFFSET(Type, member)                                              \
  ([] {                                                                             \
    static_assert(std::is_base_of_v<NSObject, Type>);                               \
    _Pragma("GCC diagnostic push") _Pragma("GCC diagnostic ignored \"-Winvalid-offsetof\"") \
    return static_cast<std::ptrdiff_t>(offsetof(Type, member));                     \
    _Pragma("GCC diagnostic pop")                                                   \
  }())

// Methods found by lookup (the class, then its superclasses).
Method class_getInstanceMethod(Class cls, SEL sel);  // nil if none
IMP method_getImplementation(Method m);
const char* method_getTypeEncoding(Method m);
const std::type_info& method_getSignature(Method m);  // the implementation's C++ function type
bool class_respondsToSelector(Class cls, SEL sel);

namespace objc_detail {

// How a value travels in a message: objects (pointers and strong references to NSObject
// descendants, and nullptr) as `id`, everything else as its decayed type.
template <class T>
struct Arg {
  using type = std::decay_t<T>;
};
template <class T>
struct Arg<T*> {
  using type = std::conditional_t<std::is_base_of_v<NSObject, std::remove_cv_t<T>>, id, T*>;
};
template <class T>
struct Arg<Ref<T>> {
  using type = id;
};
template <>
struct Arg<std::nullptr_t> {
  using type = id;
};
template <class T>
using ArgT = typename Arg<std::remove_cvref_t<T>>::type;

// A message argument as it travels: a strong reference as the object it names.
template <class T>
ArgT<T> passed(const T& value) {
  if constexpr (requires { value.get(); }) return static_cast<ArgT<T>>(value.get());
  else return static_cast<ArgT<T>>(value);
}

// The type encoding of a C++ signature ("v@:" for void(id, SEL)); "?" for types it cannot name.
template <class T>
constexpr char encodingOf() {
  if constexpr (std::is_void_v<T>) return 'v';
  else if constexpr (std::is_same_v<T, id>) return '@';
  else if constexpr (std::is_same_v<T, SEL>) return ':';
  else if constexpr (std::is_same_v<T, bool>) return 'B';
  else if constexpr (std::is_same_v<T, int32_t>) return 'i';
  else if constexpr (std::is_same_v<T, uint32_t>) return 'I';
  else if constexpr (std::is_same_v<T, int64_t> || std::is_same_v<T, long long>) return 'q';
  else if constexpr (std::is_same_v<T, uint64_t> || std::is_same_v<T, unsigned long long>) return 'Q';
  else if constexpr (std::is_same_v<T, float>) return 'f';
  else if constexpr (std::is_same_v<T, double>) return 'd';
  else return '?';
}
template <class R, class... A>
struct Encoding {
  static constexpr char value[] = {encodingOf<R>(), '@', ':', encodingOf<A>()..., '\0'};
};

// The one core behind class_addMethod, class_replaceMethod and MSHookMessageEx. Adds `imp` to
// `cls` (or, with `replace`, puts it in place of what the class had). `encoding` is the one the
// signature implies; a given `types` must agree with it where it names every type. Replacing with
// a signature other than the replaced method's aborts. With `previousOut`, the implementation the
// class answered to before (its own or inherited; null if none) is stored there before the new
// one can be reached. Answers whether the method was installed.
bool installMethod(Class cls, SEL sel, IMP imp, const std::type_info& signature,
                   const char* encoding, const char* types, bool replace, IMP* previousOut);

// The implementation for sending `sel` to `self` (not nil) as a call of type `signature`.
// Prints a message and aborts when the object has no such method or the types differ.
IMP implementationForSend(id self, SEL sel, const std::type_info& signature);

}  // namespace objc_detail

// Adds a method the class lacks; refuses (false) if the class itself already has one.
// `types` is checked against the C++ signature where the runtime can read it.
template <class R, class... A>
bool class_addMethod(Class cls, SEL sel, R (*imp)(id, SEL, A...), const char* types) {
  return objc_detail::installMethod(cls, sel, reinterpret_cast<IMP>(imp), typeid(R(id, SEL, A...)),
                                    objc_detail::Encoding<R, A...>::value, types, false, nullptr);
}
// The untyped form: the signature is read from the type encoding, which must be one the runtime
// knows ("v@:", "@@:", "v@:@", "@@:Q", "v@:B"); any other aborts.
bool class_addMethod(Class cls, SEL sel, IMP imp, const char* types);

// Puts `imp` in place of the class's method (adding it if missing); answers the implementation
// the class answered to before, its own or inherited, or null.
template <class R, class... A>
auto class_replaceMethod(Class cls, SEL sel, R (*imp)(id, SEL, A...), const char* types)
    -> R (*)(id, SEL, A...) {
  IMP previous = nullptr;
  objc_detail::installMethod(cls, sel, reinterpret_cast<IMP>(imp), typeid(R(id, SEL, A...)),
                             objc_detail::Encoding<R, A...>::value, types, true, &previous);
  return reinterpret_cast<R (*)(id, SEL, A...)>(previous);
}

// Sends a message. R is the result type; arguments travel as objc_detail::ArgT (objects as id).
// Name the argument types to convert literals: msgSend<id, uint64_t>(view, sel, 2048).
template <class R, class... A>
R msgSend(id self, SEL sel, A... args) {
  if (self == nullptr) {
    if constexpr (std::is_void_v<R>) return;
    else return R{};
  }
  using Fn = R (*)(id, SEL, objc_detail::ArgT<A>...);
  IMP imp = objc_detail::implementationForSend(self, sel, typeid(R(id, SEL, objc_detail::ArgT<A>...)));
  return reinterpret_cast<Fn>(imp)(self, sel, objc_detail::passed(args)...);
}

// Autorelease: hands an object over without a reference, as a method returning a new object
// does on the platform. The thread's pool keeps it alive until the pool drains, at the end of
// the current turn of the main run loop or of the current input event; whoever keeps it retains
// it. Answers the object.
id objc_autorelease(id obj);
void objc_autoreleasePoolDrain();

// Target-action: sends `action` to `target` in whichever form the target's method takes:
// "v@:" (nothing), "v@:@" (the sender) or "v@:@@" (the sender and the event). A nil target is
// skipped. Any other form is a programming error and aborts with a message. Controls, bar
// button items and timers all send through here.
void objc_sendAction(id target, SEL action, id sender, id event);
// Whether `cls` answers `action` in one of those forms (what a layout's action must name).
bool class_respondsToAction(Class cls, SEL action);

// Makes a new object of C++ class T with runtime class `cls` (count 1, owned by the result).
template <class T, class... Args>
Ref<T> objc_make(Class cls, Args&&... args) {
  T* obj = new T(std::forward<Args>(args)...);
  obj->isa = cls;
  return Ref<T>::adopt(obj);
}

namespace objc_detail {
template <class T>
Class runtimeClassOf() {
  if constexpr (std::is_same_v<T, NSObject>) return objc_rootClass();
  else return T::runtimeClass();
}
template <class T>
Class registerClassOf(const char* name, Class superclass) {
  if (Class existing = objc_getClass(name)) return existing;  // a second copy of the same code
  objc_factory factory = nullptr;
  if constexpr (std::is_default_constructible_v<T> && !std::is_abstract_v<T>)
    factory = [] { return static_cast<NSObject*>(new T); };
  return objc_registerClassWithFactory(name, superclass, factory);
}
}  // namespace objc_detail

// One line per class in its source file: defines `Name::runtimeClass()`, which registers the
// class "Name" under `Super` (with a factory when the C++ class can be default-constructed) the
// first time it is called, and registers it when the library loads, so that a layout can make
// its objects by name from the start. With OBJC_CLASS_WITH_MEMBERS the class's
// `static void registerMembers(Class)` runs once, right after registration, to add its
// methods, outlets and properties.
#define OBJC_CLASS(Name, Super) OBJC_CLASS_IMPL(Name, Super, (void)0)
#define OBJC_CLASS_WITH_MEMBERS(Name, Super) OBJC_CLASS_IMPL(Name, Super, Name::registerMembers(cls))
#define OBJC_CLASS_IMPL(Name, Super, setUp)                                          \
  Class Name::runtimeClass() {                                                       \
    static const Class registered = [] {                                            \
      const bool fresh = objc_getClass(#Name) == nullptr;                           \
      Class cls = objc_detail::registerClassOf<Name>(#Name, objc_detail::runtimeClassOf<Super>()); \
      if (fresh) setUp;                                                              \
      return cls;                                                                    \
    }();                                                                             \
    return registered;                                                               \
  }                                                                                  \
  [[maybe_unused]] static const Class kRegistered##Name = Name::runtimeClass();
