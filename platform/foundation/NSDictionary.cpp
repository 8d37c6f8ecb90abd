#include "foundation/NSDictionary.h"

#include <vector>

#include "foundation/NSPropertyListSerialization.h"

Ref<NSDictionary> NSDictionary::dictionaryWithContentsOfFile(const std::string& path) {
  Ref<NSData> data = NSData::dataWithContentsOfFile(path);
  return data ? dictionaryWithContentsOfData(data) : nullptr;
}

Ref<NSDictionary> NSDictionary::dictionaryWithContentsOfData(const NSData* data) {
  Ref<NSObject> root = NSPropertyListSerialization::propertyListWithData(data, nullptr, nullptr);
  if (auto dict = dynamic_cast<NSDictionary*>(root.get())) return Ref<NSDictionary>(dict);
  return nullptr;
}

NSObject* NSDictionary::objectForKey(const std::string& key) const {
  auto it = entries_.find(key);
  return it == entries_.end() ? nullptr : it->second.get();
}

Ref<NSArray> NSDictionary::allKeys() const {
  std::vector<Ref<NSObject>> keys;
  keys.reserve(entries_.size());
  for (const auto& entry : entries_) keys.push_back(NSString::stringWithString(entry.first));
  return make<NSArray>(std::move(keys));
}

bool NSDictionary::isEqualToDictionary(const NSDictionary* other) const {
  if (!other || other->entries_.size() != entries_.size()) return false;
  for (auto a = entries_.begin(), b = other->entries_.begin(); a != entries_.end(); ++a, ++b) {
    if (a->first != b->first || !NSObjectIsEqual(a->second, b->second)) return false;
  }
  return true;
}

Ref<NSMutableDictionary> NSDictionary::mutableCopy() const {
  return make<NSMutableDictionary>(entries_);
}

bool NSDictionary::writeToFile(const std::string& path, bool atomically) const {
  Ref<NSData> data = NSPropertyListSerialization::dataFromPropertyList(
      this, NSPropertyListXMLFormat_v1_0, nullptr);
  return data && data->writeToFile(path, atomically);
}

Ref<NSMutableDictionary> NSMutableDictionary::dictionaryWithContentsOfFile(const std::string& path) {
  Ref<NSDictionary> dict = NSDictionary::dictionaryWithContentsOfFile(path);
  return dict ? dict->mutableCopy() : nullptr;
}

void NSMutableDictionary::setObject(NSObject* object, const std::string& key) {
  if (object) entries_.insert_or_assign(key, Ref<NSObject>(object));
}
