// libplist on its own, as the judge of the one-pass XML reader and writer: what it reads from a
// text, compared with our objects, and the text it writes for a tree of our objects.
#pragma once

#include <plist/plist.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>

#include "foundation/NSArray.h"
#include "foundation/NSDictionary.h"
#include "foundation/NSNumber.h"
#include "foundation/NSString.h"

namespace oracle {

// Whether libplist's node holds what `object` holds: dictionaries by key (of keys given twice the
// last counts), text up to its first NUL, integers as signed 64-bit values.
inline bool same(plist_t node, const NSObject* object) {
  switch (plist_get_node_type(node)) {
    case PLIST_DICT: {
      const auto* dict = dynamic_cast<const NSDictionary*>(object);
      if (!dict) return false;
      std::map<std::string, plist_t> entries;
      plist_dict_iter it = nullptr;
      plist_dict_new_iter(node, &it);
      for (;;) {
        char* key = nullptr;
        plist_t value = nullptr;
        plist_dict_next_item(node, it, &key, &value);
        if (!value) break;
        entries[key] = value;
        std::free(key);
      }
      std::free(it);
      if (entries.size() != dict->count()) return false;
      for (const auto& [key, value] : entries)
        if (!same(value, dict->objectForKey(key))) return false;
      return true;
    }
    case PLIST_ARRAY: {
      const auto* array = dynamic_cast<const NSArray*>(object);
      if (!array || array->count() != plist_array_get_size(node)) return false;
      for (uint32_t i = 0; i < plist_array_get_size(node); ++i)
        if (!same(plist_array_get_item(node, i), array->objectAtIndex(i))) return false;
      return true;
    }
    case PLIST_STRING: {
      const auto* text = dynamic_cast<const NSString*>(object);
      uint64_t length = 0;
      const char* raw = plist_get_string_ptr(node, &length);
      return text && text->string() == std::string(raw, strnlen(raw, length));
    }
    case PLIST_BOOLEAN: {
      const auto* number = dynamic_cast<const NSNumber*>(object);
      uint8_t value = 0;
      plist_get_bool_val(node, &value);
      return number && number->kind() == NSNumber::Kind::Boolean && number->boolValue() == (value != 0);
    }
    case PLIST_UINT: {
      const auto* number = dynamic_cast<const NSNumber*>(object);
      uint64_t value = 0;
      plist_get_uint_val(node, &value);
      return number && number->kind() == NSNumber::Kind::Integer &&
             number->longLongValue() == static_cast<long long>(value);
    }
    default: return false;  // the one-pass reader makes no reals, data or dates
  }
}

// Whether libplist reads `xml` as a tree holding what `object` holds.
inline bool readsAs(const std::string& xml, const NSObject* object) {
  plist_t root = nullptr;
  plist_from_xml(xml.data(), static_cast<uint32_t>(xml.size()), &root);
  if (!root) return false;
  const bool result = same(root, object);
  plist_free(root);
  return result;
}

// libplist's node for a tree of dictionaries, arrays, strings, booleans and integers.
inline plist_t nodeFor(const NSObject* object) {
  if (const auto* dict = dynamic_cast<const NSDictionary*>(object)) {
    plist_t node = plist_new_dict();
    for (const auto& [key, value] : dict->entries()) plist_dict_set_item(node, key.c_str(), nodeFor(value.get()));
    return node;
  }
  if (const auto* array = dynamic_cast<const NSArray*>(object)) {
    plist_t node = plist_new_array();
    for (const auto& value : array->objects()) plist_array_append_item(node, nodeFor(value.get()));
    return node;
  }
  if (const auto* text = dynamic_cast<const NSString*>(object)) return plist_new_string(text->UTF8String());
  const auto* number = dynamic_cast<const NSNumber*>(object);
  if (number && number->kind() == NSNumber::Kind::Boolean) return plist_new_bool(number->boolValue());
  return plist_new_uint(static_cast<uint64_t>(number->longLongValue()));
}

// The XML libplist writes for the tree, with carriage returns in text as character references
// (libplist copies them raw, and a strict reader would turn them into line feeds).
inline std::string writes(const NSObject* object) {
  plist_t root = nodeFor(object);
  char* xml = nullptr;
  uint32_t length = 0;
  plist_to_xml(root, &xml, &length);
  plist_free(root);
  std::string out;
  for (uint32_t i = 0; i < length; ++i) out += xml[i] == '\r' ? std::string("&#13;") : std::string(1, xml[i]);
  plist_to_xml_free(xml);
  return out;
}

}  // namespace oracle
