// How property-list values become the values of properties a layout sets: numbers from
// <integer> and <real>, booleans from <true/> and <false/>, text from <string>.
#include <cmath>

#include "foundation/NSArray.h"
#include "foundation/NSNumber.h"
#include "foundation/NSString.h"
#include "objc/ClassMembers.h"

namespace objc_detail {

std::vector<NSObject*> objectsOf(const NSObject* list) {
  std::vector<NSObject*> out;
  if (const auto* array = dynamic_cast<const NSArray*>(list))
    for (const Ref<NSObject>& item : array->objects()) out.push_back(item.get());
  return out;
}

bool numberFrom(const NSObject* value, double& out) {
  const auto* number = dynamic_cast<const NSNumber*>(value);
  if (number == nullptr || number->kind() == NSNumber::Kind::Boolean) return false;
  out = number->doubleValue();
  return std::isfinite(out);
}

bool Property<bool>::from(const NSObject* value, bool& out) {
  const auto* number = dynamic_cast<const NSNumber*>(value);
  if (number == nullptr || number->kind() != NSNumber::Kind::Boolean) return false;
  out = number->boolValue();
  return true;
}

bool Property<std::string>::from(const NSObject* value, std::string& out) {
  const auto* text = dynamic_cast<const NSString*>(value);
  if (text == nullptr) return false;
  out = text->string();
  return true;
}

bool Property<std::vector<std::string>>::from(const NSObject* value, std::vector<std::string>& out) {
  const auto* list = dynamic_cast<const NSArray*>(value);
  if (list == nullptr) return false;
  out.clear();
  for (const Ref<NSObject>& item : list->objects()) {
    const auto* text = dynamic_cast<const NSString*>(item.get());
    if (text == nullptr) return false;
    out.push_back(text->string());
  }
  return true;
}

}  // namespace objc_detail
