#include "objc/runtime.h"

#include <cxxabi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

struct objc_selector {
  std::string name;
};

struct objc_method {
  SEL sel;
  IMP imp;
  const std::type_info* signature;
  const char* types;  // interned: stays valid when the method is replaced
};

struct objc_ivar {
  std::string name;
  std::ptrdiff_t offset;
  std::string types;
};

struct objc_class {
  std::string name;
  Class superclass;
  objc_factory factory = nullptr;
  // Methods are never removed, so a Method stays valid for the life of the process.
  std::unordered_map<SEL, std::unique_ptr<objc_method>> methods;
  std::vector<std::unique_ptr<objc_ivar>> ivars;
};

namespace {

void rootDealloc(id self, SEL) { delete self; }

// Everything the runtime knows, behind one lock: many readers (every send), rare writers
// (class registration and method installation). Never destroyed, so objects released during
// process exit can still be sent `dealloc`.
struct Registry {
  std::shared_mutex mutex;
  std::unordered_map<std::string, std::unique_ptr<objc_selector>> selectors;
  std::map<std::string, std::unique_ptr<objc_class>, std::less<>> classes;
  std::unordered_set<std::string> encodings;
  Class root = nullptr;
  SEL dealloc = nullptr;

  const char* encodingLocked(const char* types) { return encodings.insert(types).first->c_str(); }

  SEL internLocked(const char* name) {
    auto& slot = selectors[name];
    if (!slot) slot = std::make_unique<objc_selector>(objc_selector{name});
    return slot.get();
  }

  Registry() {
    auto cls = std::make_unique<objc_class>();
    cls->name = "NSObject";
    cls->superclass = nullptr;
    dealloc = internLocked("dealloc");
    cls->methods[dealloc] = std::make_unique<objc_method>(
        objc_method{dealloc, reinterpret_cast<IMP>(&rootDealloc), &typeid(void(id, SEL)), encodingLocked("v@:")});
    root = cls.get();
    classes.emplace(cls->name, std::move(cls));
  }
};

Registry& registry() {
  static Registry* r = new Registry;
  return *r;
}

// Lookup through the superclass chain; the caller holds the lock.
objc_method* findLocked(Class cls, SEL sel) {
  for (Class c = cls; c != nullptr; c = c->superclass) {
    auto it = c->methods.find(sel);
    if (it != c->methods.end()) return it->second.get();
  }
  return nullptr;
}

std::string demangled(const std::type_info& type) {
  int status = 0;
  std::unique_ptr<char, void (*)(void*)> name(
      abi::__cxa_demangle(type.name(), nullptr, nullptr, &status), std::free);
  return status == 0 && name ? name.get() : type.name();
}

[[noreturn]] void fail(const std::string& message) {
  std::fprintf(stderr, "objc runtime: %s\n", message.c_str());
  std::fflush(stderr);
  std::abort();
}

// The signatures an encoding string stands for, for the untyped class_addMethod.
const std::type_info* signatureOfEncoding(const char* types) {
  static const std::pair<const char*, const std::type_info*> known[] = {
      {"v@:", &typeid(void(id, SEL))},
      {"@@:", &typeid(id(id, SEL))},
      {"v@:@", &typeid(void(id, SEL, id))},
      {"@@:Q", &typeid(id(id, SEL, uint64_t))},
      {"v@:B", &typeid(void(id, SEL, bool))},
      {"v@:@@", &typeid(void(id, SEL, id, id))},
  };
  if (types == nullptr) return nullptr;
  for (const auto& [encoding, signature] : known)
    if (std::strcmp(encoding, types) == 0) return signature;
  return nullptr;
}

}  // namespace

SEL sel_registerName(const char* name) {
  Registry& r = registry();
  {
    std::shared_lock lock(r.mutex);
    auto it = r.selectors.find(name);
    if (it != r.selectors.end()) return it->second.get();
  }
  std::unique_lock lock(r.mutex);
  return r.internLocked(name);
}

const char* sel_getName(SEL sel) { return sel ? sel->name.c_str() : "<null selector>"; }

Class objc_registerClassWithFactory(const char* name, Class superclass, objc_factory factory) {
  Registry& r = registry();
  std::unique_lock lock(r.mutex);
  if (r.classes.count(name) != 0) return nullptr;
  auto cls = std::make_unique<objc_class>();
  cls->name = name;
  cls->superclass = superclass;
  cls->factory = factory;
  Class result = cls.get();
  r.classes.emplace(cls->name, std::move(cls));
  return result;
}

Class objc_registerClass(const char* name, Class superclass) {
  return objc_registerClassWithFactory(name, superclass, nullptr);
}

Ref<NSObject> class_createInstance(Class cls) {
  objc_factory factory = nullptr;
  {
    std::shared_lock lock(registry().mutex);
    for (Class c = cls; c != nullptr && factory == nullptr; c = c->superclass) factory = c->factory;
  }
  if (factory == nullptr) return nullptr;
  NSObject* obj = factory();
  obj->isa = cls;
  return Ref<NSObject>::adopt(obj);
}

Class objc_getClass(const char* name) {
  Registry& r = registry();
  std::shared_lock lock(r.mutex);
  auto it = r.classes.find(std::string_view(name));
  return it == r.classes.end() ? nullptr : it->second.get();
}

Class objc_rootClass() { return registry().root; }

const char* class_getName(Class cls) { return cls ? cls->name.c_str() : "nil"; }
Class class_getSuperclass(Class cls) { return cls ? cls->superclass : nullptr; }
Class object_getClass(id obj) { return obj ? obj->isa : nullptr; }

bool class_isSubclassOf(Class cls, Class ancestor) {
  if (ancestor == nullptr) return false;
  for (Class c = cls; c != nullptr; c = c->superclass)
    if (c == ancestor) return true;
  return false;
}

bool NSObject::isKindOfClass(Class cls) const noexcept { return class_isSubclassOf(isa, cls); }
bool NSObject::respondsToSelector(SEL sel) const noexcept { return class_respondsToSelector(isa, sel); }

bool class_addIvar(Class cls, const char* name, std::ptrdiff_t offset, const char* types) {
  if (cls == nullptr || name == nullptr || offset < 0) return false;
  std::unique_lock lock(registry().mutex);
  for (const auto& ivar : cls->ivars)
    if (ivar->name == name) return false;
  cls->ivars.push_back(std::make_unique<objc_ivar>(objc_ivar{name, offset, types ? types : ""}));
  return true;
}

Ivar class_getInstanceVariable(Class cls, const char* name) {
  if (name == nullptr) return nullptr;
  std::shared_lock lock(registry().mutex);
  for (Class c = cls; c != nullptr; c = c->superclass)
    for (const auto& ivar : c->ivars)
      if (ivar->name == name) return ivar.get();
  return nullptr;
}

std::ptrdiff_t ivar_getOffset(Ivar ivar) { return ivar ? ivar->offset : 0; }
const char* ivar_getName(Ivar ivar) { return ivar ? ivar->name.c_str() : nullptr; }
const char* ivar_getTypeEncoding(Ivar ivar) { return ivar ? ivar->types.c_str() : nullptr; }

id object_getIvar(id obj, Ivar ivar) {
  if (obj == nullptr || ivar == nullptr) return nullptr;
  if (ivar->types != "@") fail("object_getIvar on " + ivar->name + ", which holds \"" + ivar->types + "\", not an object");
  return *reinterpret_cast<id*>(reinterpret_cast<char*>(obj) + ivar->offset);
}

Method class_getInstanceMethod(Class cls, SEL sel) {
  std::shared_lock lock(registry().mutex);
  return findLocked(cls, sel);
}

IMP method_getImplementation(Method m) {
  if (m == nullptr) return nullptr;
  std::shared_lock lock(registry().mutex);
  return m->imp;
}

const char* method_getTypeEncoding(Method m) {
  if (m == nullptr) return nullptr;
  std::shared_lock lock(registry().mutex);
  return m->types;
}

const std::type_info& method_getSignature(Method m) {
  if (m == nullptr) return typeid(void);
  std::shared_lock lock(registry().mutex);
  return *m->signature;
}
bool class_respondsToSelector(Class cls, SEL sel) { return class_getInstanceMethod(cls, sel) != nullptr; }

bool objc_detail::installMethod(Class cls, SEL sel, IMP imp, const std::type_info& signature,
                                const char* encoding, const char* types, bool replace,
                                IMP* previousOut) {
  if (previousOut != nullptr) *previousOut = nullptr;
  if (cls == nullptr || sel == nullptr || imp == nullptr) return false;
  if (types != nullptr && std::strchr(encoding, '?') == nullptr && std::strcmp(types, encoding) != 0)
    fail("method " + std::string(sel_getName(sel)) + " of " + cls->name + " given type encoding \"" +
         types + "\" but its implementation is " + demangled(signature) + " (\"" + encoding + "\")");

  Registry& r = registry();
  std::unique_lock lock(r.mutex);
  objc_method* previous = findLocked(cls, sel);
  auto own = cls->methods.find(sel);
  if (!replace && own != cls->methods.end()) return false;
  if (replace && previous != nullptr && *previous->signature != signature)
    fail("replacing " + std::string(sel_getName(sel)) + " of " + cls->name + ", which is " +
         demangled(*previous->signature) + ", with " + demangled(signature));
  // The slot is written before the new implementation becomes reachable: both happen under the
  // writer lock, and every send takes the reader lock.
  if (previousOut != nullptr && previous != nullptr) *previousOut = previous->imp;
  const char* encodingText = r.encodingLocked(types != nullptr ? types : encoding);
  if (own != cls->methods.end()) {
    own->second->imp = imp;
    own->second->signature = &signature;
    own->second->types = encodingText;
  } else {
    cls->methods[sel] = std::make_unique<objc_method>(objc_method{sel, imp, &signature, encodingText});
  }
  return true;
}

bool class_addMethod(Class cls, SEL sel, IMP imp, const char* types) {
  const std::type_info* signature = signatureOfEncoding(types);
  if (signature == nullptr)
    fail("class_addMethod for " + std::string(sel_getName(sel)) + " with type encoding \"" +
         (types ? types : "(null)") + "\", which the runtime cannot read; pass a typed function");
  return objc_detail::installMethod(cls, sel, imp, *signature, types, types, false, nullptr);
}

IMP objc_detail::implementationForSend(id self, SEL sel, const std::type_info& signature) {
  Class cls = self->isa;
  IMP imp = nullptr;
  const std::type_info* found = nullptr;
  {
    std::shared_lock lock(registry().mutex);
    if (const objc_method* method = findLocked(cls, sel)) {
      imp = method->imp;
      found = method->signature;
    }
  }
  if (imp == nullptr)
    fail(std::string("unrecognized selector ") + sel_getName(sel) + " sent to an instance of " +
         class_getName(cls));
  if (*found != signature)
    fail(std::string("message ") + sel_getName(sel) + " sent to an instance of " + class_getName(cls) +
         " as " + demangled(signature) + ", but its implementation is " + demangled(*found));
  return imp;
}

namespace {
std::vector<id>& autoreleasePool() {
  thread_local std::vector<id> pool;
  return pool;
}

// The forms a target-action method may take.
enum class ActionForm { None, NoArgument, Sender, SenderAndEvent };

ActionForm actionFormOf(Class cls, SEL action) {
  Method m = class_getInstanceMethod(cls, action);
  if (m == nullptr) return ActionForm::None;
  const std::type_info& signature = method_getSignature(m);
  if (signature == typeid(void(id, SEL))) return ActionForm::NoArgument;
  if (signature == typeid(void(id, SEL, id))) return ActionForm::Sender;
  if (signature == typeid(void(id, SEL, id, id))) return ActionForm::SenderAndEvent;
  return ActionForm::None;
}
}  // namespace

bool class_respondsToAction(Class cls, SEL action) { return actionFormOf(cls, action) != ActionForm::None; }

void objc_sendAction(id target, SEL action, id sender, id event) {
  if (target == nullptr) return;
  switch (actionFormOf(target->isa, action)) {
    case ActionForm::NoArgument: msgSend<void>(target, action); return;
    case ActionForm::Sender: msgSend<void>(target, action, sender); return;
    case ActionForm::SenderAndEvent: msgSend<void>(target, action, sender, event); return;
    case ActionForm::None: break;
  }
  if (!class_respondsToSelector(target->isa, action))
    fail(std::string("unrecognized selector ") + sel_getName(action) + " sent to an instance of " +
         class_getName(target->isa) + " as an action");
  fail(std::string("action ") + sel_getName(action) + " of " + class_getName(target->isa) +
       " takes neither nothing, the sender, nor the sender and the event");
}

id objc_autorelease(id obj) {
  if (obj == nullptr) return nullptr;
  obj->retain();
  autoreleasePool().push_back(obj);
  return obj;
}

void objc_autoreleasePoolDrain() {
  // Releasing may autorelease more; drain until the pool stays empty.
  while (!autoreleasePool().empty()) {
    std::vector<id> drained;
    drained.swap(autoreleasePool());
    for (id obj : drained) obj->release();
  }
}

void objc_clearWeakReferences(objc_weak_box* box) noexcept;

void objc_disposeObject(NSObject* obj) noexcept {
  if (obj == nullptr) return;
  if (objc_weak_box* box = obj->weakBox_.exchange(nullptr, std::memory_order_acq_rel))
    objc_clearWeakReferences(box);
  Registry& r = registry();
  if (obj->isa != nullptr && class_respondsToSelector(obj->isa, r.dealloc)) {
    msgSend<void>(obj, r.dealloc);
  } else {
    delete obj;
  }
}
