// Dictionaries from string keys to objects, as property lists hold them. Keys are compared by
// their bytes; enumeration follows that order, which stays the same while the contents do.
#pragma once

#include <cstddef>
#include <string>

#include "foundation/NSArray.h"
#include "foundation/DictionaryEntries.h"
#include "foundation/NSData.h"
#include "foundation/NSString.h"
#include "objc/NSObject.h"

class NSMutableDictionary;

class NSDictionary : public NSObject {
 public:
  using Storage = DictionaryEntries;

  NSDictionary() = default;
  explicit NSDictionary(Storage entries) : entries_(std::move(entries)) {}

  static Ref<NSDictionary> dictionary() { return make<NSDictionary>(); }
  // The file read as a property list (XML or binary) whose root is a dictionary; nil when the
  // file is missing or unreadable, is neither form, does not parse, or has another root.
  static Ref<NSDictionary> dictionaryWithContentsOfFile(const std::string& path);
  // What dictionaryWithContentsOfFile does with the file's bytes once it has read them.
  static Ref<NSDictionary> dictionaryWithContentsOfData(const NSData* data);

  std::size_t count() const { return entries_.size(); }
  NSObject* objectForKey(const std::string& key) const;
  NSObject* objectForKey(const NSString* key) const { return key ? objectForKey(key->string()) : nullptr; }
  Ref<NSArray> allKeys() const;  // NSStrings, in enumeration order
  const Storage& entries() const { return entries_; }
  bool isEqualToDictionary(const NSDictionary* other) const;

  // Shallow copies: the new dictionary holds the same value objects.
  Ref<NSDictionary> copy() const { return make<NSDictionary>(entries_); }
  Ref<NSMutableDictionary> mutableCopy() const;

  // Writes the dictionary as an XML property list; false if it cannot be encoded or written.
  bool writeToFile(const std::string& path, bool atomically) const;

 protected:
  Storage entries_;
};

class NSMutableDictionary : public NSDictionary {
 public:
  using NSDictionary::NSDictionary;

  static Ref<NSMutableDictionary> dictionary() { return make<NSMutableDictionary>(); }
  static Ref<NSMutableDictionary> dictionaryWithContentsOfFile(const std::string& path);

  // Stores `object` under `key`, replacing any entry with that key. A nil object is ignored.
  void setObject(NSObject* object, const std::string& key);
  void setObject(NSObject* object, const NSString* key) { if (key) setObject(object, key->string()); }
  // The dictionary retains the object, so a freshly made one may be handed over directly.
  template <class T>
  void setObject(const Ref<T>& object, const std::string& key) { setObject(object.get(), key); }
  template <class T>
  void setObject(const Ref<T>& object, const NSString* key) { setObject(object.get(), key); }
  void removeObjectForKey(const std::string& key) { entries_.erase(key); }
  void removeObjectForKey(const NSString* key) { if (key) removeObjectForKey(key->string()); }
  void removeAllObjects() { entries_.clear(); }
};
