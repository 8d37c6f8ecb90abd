#include "objc/ClassMembers.h"

#include <cxxabi.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>

namespace {

using objc_detail::MemberKind;

struct Member {
  MemberKind kind;
  objc_detail::MemberSetter setter;
};

// Members of every class, by class and name. Registered at start-up and read while layouts load;
// never removed.
struct MemberTable {
  std::mutex mutex;
  std::map<Class, std::map<std::string, Member, std::less<>>> byClass;
  std::map<Class, std::map<std::string, objc_detail::EventConnector, std::less<>>> events;
};

MemberTable& table() {
  static auto* t = new MemberTable;  // outlives static destruction
  return *t;
}

const Member* find(Class cls, const char* name, MemberKind kind) {
  if (name == nullptr) return nullptr;
  MemberTable& t = table();
  std::lock_guard hold(t.mutex);
  for (Class c = cls; c != nullptr; c = class_getSuperclass(c)) {
    auto members = t.byClass.find(c);
    if (members == t.byClass.end()) continue;
    auto it = members->second.find(std::string_view(name));
    if (it != members->second.end() && it->second.kind == kind) return &it->second;
  }
  return nullptr;
}

}  // namespace

void objc_detail::addMember(Class cls, const char* name, MemberKind kind, MemberSetter setter) {
  if (cls == nullptr || name == nullptr) return;
  MemberTable& t = table();
  std::lock_guard hold(t.mutex);
  t.byClass[cls][name] = Member{kind, std::move(setter)};
}

void objc_detail::addEvent(Class cls, const char* name, EventConnector connect) {
  if (cls == nullptr || name == nullptr) return;
  MemberTable& t = table();
  std::lock_guard hold(t.mutex);
  t.events[cls][name] = std::move(connect);
}

namespace {
const objc_detail::EventConnector* findEvent(Class cls, const char* name) {
  if (name == nullptr) return nullptr;
  MemberTable& t = table();
  std::lock_guard hold(t.mutex);
  for (Class c = cls; c != nullptr; c = class_getSuperclass(c)) {
    auto events = t.events.find(c);
    if (events == t.events.end()) continue;
    auto it = events->second.find(std::string_view(name));
    if (it != events->second.end()) return &it->second;
  }
  return nullptr;
}
}  // namespace

std::string objc_detail::describeType(const std::type_info& type, Class runtimeClass) {
  if (runtimeClass != nullptr) return class_getName(runtimeClass);
  int status = 0;
  std::unique_ptr<char, void (*)(void*)> name(abi::__cxa_demangle(type.name(), nullptr, nullptr, &status),
                                              std::free);
  return status == 0 && name ? name.get() : type.name();
}

bool class_hasOutlet(Class cls, const char* name) { return find(cls, name, MemberKind::Outlet) != nullptr; }
bool class_hasProperty(Class cls, const char* name) { return find(cls, name, MemberKind::Property) != nullptr; }
bool class_hasObjectList(Class cls, const char* name) { return find(cls, name, MemberKind::List) != nullptr; }
bool class_hasEvent(Class cls, const char* name) { return findEvent(cls, name) != nullptr; }

std::string object_setOutlet(id obj, const char* name, id value) {
  const Member* member = obj ? find(obj->isa, name, MemberKind::Outlet) : nullptr;
  if (member == nullptr) return "no such outlet";
  return member->setter(obj, value);
}

std::string object_setProperty(id obj, const char* name, const NSObject* value) {
  const Member* member = obj ? find(obj->isa, name, MemberKind::Property) : nullptr;
  if (member == nullptr) return "no such property";
  return member->setter(obj, value);
}

std::string object_setObjectList(id obj, const char* name, const NSObject* objects) {
  const Member* member = obj ? find(obj->isa, name, MemberKind::List) : nullptr;
  if (member == nullptr) return "no such list";
  return member->setter(obj, objects);
}

bool object_connectEvent(id obj, const char* name, id target, SEL action) {
  const objc_detail::EventConnector* connect = obj ? findEvent(obj->isa, name) : nullptr;
  if (connect == nullptr) return false;
  (*connect)(obj, target, action);
  return true;
}
