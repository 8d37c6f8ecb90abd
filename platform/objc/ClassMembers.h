// Outlets, properties, object lists and events: the members of a class that a layout file may
// set by name, registered once per class by member pointer, with their types.
//
// An outlet holds another object of the layout. Registered with a `Ref<T>` member it retains, with
// a `Weak<T>` member it holds weakly, with a setter taking `T*` it does what the setter does; in
// every case the object must be a T (checked by its C++ type), or setting it is refused.
//
// A property holds a value from the layout file, converted by the setter's parameter type:
// a number (float, double, int, long), a bool, a string (std::string), a list of strings, and
// any type that a library teaches the conversion (UIKit teaches colours and rectangles). A value
// of another kind is refused with a message saying what was expected.
//
// An object list holds objects the layout makes for it (a bar's items), each of a given class.
// An event names something the object reports by target-action (a control's "valueChanged", a
// bar button item's "action"): the layout connects it to a selector of its owner.
#pragma once

#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <type_traits>
#include <typeinfo>
#include <vector>

#include "objc/runtime.h"

namespace objc_detail {

// Sets a member of `self` from `value` (an object of the layout, or a property-list value).
// Answers "" on success, else what was wrong ("expected a number").
using MemberSetter = std::function<std::string(id self, const NSObject* value)>;

enum class MemberKind { Outlet, Property, List };
void addMember(Class cls, const char* name, MemberKind kind, MemberSetter setter);
using EventConnector = std::function<void(id self, id target, SEL action)>;
void addEvent(Class cls, const char* name, EventConnector connect);

// The name a class goes by in messages: its runtime name where it has one.
std::string describeType(const std::type_info& type, Class runtimeClass);
template <class T>
std::string typeName() {
  if constexpr (requires { T::runtimeClass(); }) return describeType(typeid(T), T::runtimeClass());
  else return describeType(typeid(T), nullptr);
}

// The conversion from a property-list value to a property's value type. Specialise `Property<V>`
// with `static bool from(const NSObject* value, V& out)` and `static const char* expected()`.
template <class V>
struct Property;

// Numbers of every arithmetic type go through double.
bool numberFrom(const NSObject* value, double& out);

// Defined in the class: clang does not accept an out-of-line member of a constrained partial
// specialisation. A number the type cannot hold (1e300 for an integer) is no number of it.
template <class V>
  requires(std::is_arithmetic_v<V> && !std::is_same_v<V, bool>)
struct Property<V> {
  static bool from(const NSObject* value, V& out) {
    double number = 0;
    if (!numberFrom(value, number)) return false;
    if constexpr (std::is_integral_v<V>) {
      // The type's range as doubles: its lowest value, and one past its highest (2^digits).
      if (!(number >= double(std::numeric_limits<V>::lowest()) &&
            number < std::ldexp(1.0, std::numeric_limits<V>::digits)))
        return false;
    } else if (std::abs(number) > double(std::numeric_limits<V>::max())) {
      return false;
    }
    out = static_cast<V>(number);
    return true;
  }
  static const char* expected() { return "a number"; }
};
template <>
struct Property<bool> {
  static bool from(const NSObject* value, bool& out);
  static const char* expected() { return "a boolean (<true/> or <false/>)"; }
};
template <>
struct Property<std::string> {
  static bool from(const NSObject* value, std::string& out);
  static const char* expected() { return "a string"; }
};
template <>
struct Property<std::vector<std::string>> {
  static bool from(const NSObject* value, std::vector<std::string>& out);
  static const char* expected() { return "an array of strings"; }
};

// The objects of an NSArray (none for anything else).
std::vector<NSObject*> objectsOf(const NSObject* list);


// What a converted value is kept in until the setter takes it: the value itself, or a strong
// reference for an object made by the conversion.
template <class V>
struct Held {
  using type = V;
  static V pass(const V& v) { return v; }
};
template <class V>
  requires requires { typename Property<V>::Holder; }
struct Held<V> {
  using type = typename Property<V>::Holder;
  static V pass(const type& h) { return h.get(); }
};

template <class C, class T>
std::string setOutletValue(id self, const NSObject* value, auto&& assign) {
  auto* owner = dynamic_cast<C*>(self);
  if (owner == nullptr) return "is not a member of this object";
  T* typed = nullptr;
  if (value != nullptr) {
    typed = dynamic_cast<T*>(const_cast<NSObject*>(value));
    if (typed == nullptr) return "expected a " + typeName<T>();
  }
  assign(*owner, typed);
  return {};
}

}  // namespace objc_detail

// An outlet that retains its object.
template <class C, class T>
void class_addOutlet(Class cls, const char* name, Ref<T> C::*member) {
  objc_detail::addMember(cls, name, objc_detail::MemberKind::Outlet, [member](id self, const NSObject* value) {
    return objc_detail::setOutletValue<C, T>(self, value, [member](C& o, T* v) { o.*member = Ref<T>(v); });
  });
}
// An outlet that holds its object weakly.
template <class C, class T>
void class_addOutlet(Class cls, const char* name, Weak<T> C::*member) {
  objc_detail::addMember(cls, name, objc_detail::MemberKind::Outlet, [member](id self, const NSObject* value) {
    return objc_detail::setOutletValue<C, T>(self, value, [member](C& o, T* v) { o.*member = Weak<T>(v); });
  });
}
// An outlet set through the class's setter.
template <class C, class T>
void class_addOutlet(Class cls, const char* name, void (C::*setter)(T*)) {
  objc_detail::addMember(cls, name, objc_detail::MemberKind::Outlet, [setter](id self, const NSObject* value) {
    return objc_detail::setOutletValue<C, T>(self, value, [setter](C& o, T* v) { (o.*setter)(v); });
  });
}

// A property set through the class's setter (a virtual setter dispatches as usual).
template <class C, class P>
void class_addProperty(Class cls, const char* name, void (C::*setter)(P)) {
  using V = std::remove_cvref_t<P>;
  objc_detail::addMember(cls, name, objc_detail::MemberKind::Property, [setter](id self, const NSObject* value) -> std::string {
    auto* owner = dynamic_cast<C*>(self);
    if (owner == nullptr) return "is not a member of this object";
    typename objc_detail::Held<V>::type converted{};
    if (!objc_detail::Property<V>::from(value, converted))
      return std::string("expected ") + objc_detail::Property<V>::expected();
    (owner->*setter)(objc_detail::Held<V>::pass(converted));
    return {};
  });
}

// A list of objects of class T (a layout's elements), set through the class's setter.
template <class C, class T>
void class_addObjectList(Class cls, const char* name, void (C::*setter)(const std::vector<Ref<T>>&)) {
  objc_detail::addMember(cls, name, objc_detail::MemberKind::List, [setter](id self, const NSObject* value) -> std::string {
    auto* owner = dynamic_cast<C*>(self);
    if (owner == nullptr) return "is not a member of this object";
    std::vector<Ref<T>> items;
    for (NSObject* item : objc_detail::objectsOf(value)) {
      T* typed = dynamic_cast<T*>(item);
      if (typed == nullptr) return "expected objects of class " + objc_detail::typeName<T>();
      items.push_back(Ref<T>(typed));
    }
    (owner->*setter)(items);
    return {};
  });
}

// An event the object reports by target-action, connected by `connect(self, target, action)`.
template <class C>
void class_addEvent(Class cls, const char* name, void (*connect)(C& self, id target, SEL action)) {
  objc_detail::addEvent(cls, name, [connect](id self, id target, SEL action) {
    if (auto* owner = dynamic_cast<C*>(self)) connect(*owner, target, action);
  });
}

// Whether the object's class (or a superclass) has the member.
bool class_hasOutlet(Class cls, const char* name);
bool class_hasProperty(Class cls, const char* name);
bool class_hasObjectList(Class cls, const char* name);
bool class_hasEvent(Class cls, const char* name);
// Sets it on `obj`. Answers "" on success, else what was wrong: "no such outlet", "no such
// property", or the setter's own refusal ("expected a number").
std::string object_setOutlet(id obj, const char* name, id value);
std::string object_setProperty(id obj, const char* name, const NSObject* value);
// `objects` is the list's content, as an NSArray.
std::string object_setObjectList(id obj, const char* name, const NSObject* objects);
// Connects the event to `action` of `target`; false if the object has no such event.
bool object_connectEvent(id obj, const char* name, id target, SEL action);
