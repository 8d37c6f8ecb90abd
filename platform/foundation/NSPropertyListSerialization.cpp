#include "foundation/NSPropertyListSerialization.h"

#include <plist/plist.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "foundation/NSArray.h"
#include "foundation/NSDate.h"
#include "foundation/NSDictionary.h"
#include "foundation/NSNumber.h"
#include "foundation/PropertyListNestingGuard.h"
#include "foundation/PropertyListPlainXML.h"
#include "foundation/PropertyListText.h"

namespace {

using Plist = std::unique_ptr<void, decltype(&plist_free)>;
Plist owned(plist_t node) { return Plist(node, &plist_free); }

// libplist hands out copies allocated with malloc.
using MallocText = std::unique_ptr<char, decltype(&std::free)>;

constexpr int kMaxNesting = NSPropertyListSerialization::kMaxNesting;

// ---- decoding: libplist nodes to objects ----

Ref<NSObject> objectFromNode(plist_t node, int depth);

Ref<NSObject> dictionaryFromNode(plist_t node, int depth) {
  if (depth >= kMaxNesting) return nullptr;
  std::vector<DictionaryEntries::Entry> entries;
  entries.reserve(plist_dict_get_size(node));
  plist_dict_iter it = nullptr;
  plist_dict_new_iter(node, &it);
  for (;;) {
    char* rawKey = nullptr;
    plist_t value = nullptr;
    plist_dict_next_item(node, it, &rawKey, &value);
    MallocText key(rawKey, &std::free);
    if (!value) break;
    Ref<NSObject> object = objectFromNode(value, depth + 1);
    if (!object || !key) {
      std::free(it);
      return nullptr;
    }
    entries.emplace_back(key.get(), std::move(object));
  }
  std::free(it);
  return make<NSDictionary>(DictionaryEntries::fromUnordered(std::move(entries)));
}

Ref<NSObject> arrayFromNode(plist_t node, int depth) {
  if (depth >= kMaxNesting) return nullptr;
  std::vector<Ref<NSObject>> objects;
  uint32_t count = plist_array_get_size(node);
  objects.reserve(count);
  for (uint32_t i = 0; i < count; ++i) {
    Ref<NSObject> object = objectFromNode(plist_array_get_item(node, i), depth + 1);
    if (!object) return nullptr;
    objects.push_back(std::move(object));
  }
  return make<NSArray>(std::move(objects));
}

Ref<NSObject> objectFromNode(plist_t node, int depth) {
  if (!node) return nullptr;
  switch (plist_get_node_type(node)) {
    case PLIST_DICT: return dictionaryFromNode(node, depth);
    case PLIST_ARRAY: return arrayFromNode(node, depth);
    case PLIST_STRING: {
      // Read through the pointer and length: plist_get_string_val asserts (and so aborts the
      // process) when the text holds a NUL. Text ends at its first NUL, as keys do.
      uint64_t length = 0;
      const char* text = plist_get_string_ptr(node, &length);
      return NSString::stringWithString(text ? std::string(text, strnlen(text, length)) : "");
    }
    case PLIST_BOOLEAN: {
      uint8_t value = 0;
      plist_get_bool_val(node, &value);
      return NSNumber::numberWithBool(value != 0);
    }
    case PLIST_UINT: {  // libplist keeps signed values in the same 64 bits
      uint64_t value = 0;
      plist_get_uint_val(node, &value);
      return NSNumber::numberWithLongLong(static_cast<long long>(value));
    }
    case PLIST_REAL: {
      double value = 0;
      plist_get_real_val(node, &value);
      return NSNumber::numberWithDouble(value);
    }
    case PLIST_DATA: {
      char* raw = nullptr;
      uint64_t length = 0;
      plist_get_data_val(node, &raw, &length);
      MallocText bytes(raw, &std::free);
      return NSData::dataWithBytes(bytes.get(), bytes ? length : 0);
    }
    case PLIST_DATE: {
      int32_t seconds = 0, microseconds = 0;
      plist_get_date_val(node, &seconds, &microseconds);
      return NSDate::dateWithTimeIntervalSinceReferenceDate(seconds + microseconds / 1e6);
    }
    case PLIST_UID:  // a keyed-archive reference: kept as an object no property list can hold
      return make<NSObject>();
    default:
      return nullptr;
  }
}

// libplist's binary reader can make dictionary keys that hold a NUL (from UTF-16 text), and its
// key accessor asserts on those, aborting the process. Its XML reader never makes such keys, so a
// tree read from binary is passed once through XML: keys then end at their first NUL.
Plist withSafeKeys(Plist root) {
  char* xml = nullptr;
  uint32_t length = 0;
  plist_to_xml(root.get(), &xml, &length);
  if (!xml) return owned(nullptr);
  plist_t node = nullptr;
  plist_from_xml(xml, length, &node);
  plist_to_xml_free(xml);
  return owned(node);
}

// ---- encoding: objects to libplist nodes ----

template <class T>
const T* as(const NSObject* object) {
  return dynamic_cast<const T*>(object);
}

// Sets `error` if the format cannot hold the text exactly.
bool unwritable(std::string_view text, NSPropertyListFormat format, std::string& error) {
  std::string problem = PropertyListTextProblem(text, format);
  if (problem.empty()) return false;
  error = "Property list invalid for format: text holding " + problem + " cannot be written " +
          (format == NSPropertyListXMLFormat_v1_0 ? "as XML" : "in binary form");
  return true;
}

bool tooDeep(int depth, std::string& error) {
  if (depth < kMaxNesting) return false;
  error = "Property list invalid for format: containers nested deeper than " +
          std::to_string(kMaxNesting) + " levels (or a container inside itself)";
  return true;
}

// Builds the node for `object`, or sets `error` and gives null. `depth` counts the containers
// around it.
plist_t nodeFromObject(const NSObject* object, NSPropertyListFormat format, int depth,
                       std::string& error) {
  if (auto dict = as<NSDictionary>(object)) {
    if (tooDeep(depth, error)) return nullptr;
    Plist node = owned(plist_new_dict());
    for (const auto& [key, value] : dict->entries()) {
      if (unwritable(key, format, error)) return nullptr;
      plist_t child = nodeFromObject(value, format, depth + 1, error);
      if (!child) return nullptr;
      plist_dict_set_item(node.get(), key.c_str(), child);
    }
    return node.release();
  }
  if (auto array = as<NSArray>(object)) {
    if (tooDeep(depth, error)) return nullptr;
    Plist node = owned(plist_new_array());
    for (const auto& value : array->objects()) {
      plist_t child = nodeFromObject(value, format, depth + 1, error);
      if (!child) return nullptr;
      plist_array_append_item(node.get(), child);
    }
    return node.release();
  }
  if (auto string = as<NSString>(object)) {
    if (unwritable(string->string(), format, error)) return nullptr;
    return plist_new_string(string->UTF8String());
  }
  if (auto number = as<NSNumber>(object)) {
    switch (number->kind()) {
      case NSNumber::Kind::Boolean: return plist_new_bool(number->boolValue());
      case NSNumber::Kind::Integer:
        return plist_new_uint(static_cast<uint64_t>(number->longLongValue()));
      case NSNumber::Kind::Real: return plist_new_real(number->doubleValue());
    }
  }
  if (auto data = as<NSData>(object))
    return plist_new_data(reinterpret_cast<const char*>(data->bytes()), data->length());
  if (auto date = as<NSDate>(object)) {
    double seconds = std::floor(date->timeIntervalSinceReferenceDate());
    if (seconds >= INT32_MIN && seconds <= INT32_MAX) {
      double micro = (date->timeIntervalSinceReferenceDate() - seconds) * 1e6;
      return plist_new_date(static_cast<int32_t>(seconds), static_cast<int32_t>(micro));
    }
    error = "Property list invalid for format: date out of range";
    return nullptr;
  }
  error = "Property list invalid for format: property lists cannot contain objects of type '" +
          (object ? NSObjectDescription(object) : std::string("nil")) + "'";
  return nullptr;
}

// libplist copies a carriage return into XML text as it is, and a strict reader takes it for a
// line break and reads a line feed. Its own layout uses only line feeds and tabs, so every
// carriage return in its output is text, and is written as a character reference instead.
Ref<NSData> xmlWithCarriageReturnsEscaped(const char* xml, uint32_t length) {
  std::vector<unsigned char> out;
  out.reserve(length);
  for (const char* p = xml; p != xml + length; ++p) {
    if (*p == '\r') out.insert(out.end(), {'&', '#', '1', '3', ';'});
    else out.push_back(static_cast<unsigned char>(*p));
  }
  return make<NSData>(std::move(out));
}

Ref<NSData> encode(plist_t root, NSPropertyListFormat format) {
  char* bytes = nullptr;
  uint32_t length = 0;
  if (format == NSPropertyListXMLFormat_v1_0) {
    plist_to_xml(root, &bytes, &length);
    if (!bytes) return nullptr;
    Ref<NSData> data = xmlWithCarriageReturnsEscaped(bytes, length);
    plist_to_xml_free(bytes);
    return data;
  }
  plist_to_bin(root, &bytes, &length);
  if (!bytes) return nullptr;
  Ref<NSData> data = NSData::dataWithBytes(bytes, length);
  plist_to_bin_free(bytes);
  return data;
}

template <class T>
void report(Ref<NSString>* errorDescription, T&& text) {
  if (errorDescription) *errorDescription = NSString::stringWithString(std::forward<T>(text));
}

}  // namespace

Ref<NSData> NSPropertyListSerialization::dataFromPropertyList(const NSObject* plist,
                                                              NSPropertyListFormat format,
                                                              Ref<NSString>* errorDescription) {
  if (format != NSPropertyListXMLFormat_v1_0 && format != NSPropertyListBinaryFormat_v1_0) {
    report(errorDescription, "Property list format " + std::to_string(format) + " cannot be written");
    return nullptr;
  }
  if (format == NSPropertyListXMLFormat_v1_0) {
    std::vector<unsigned char> bytes;
    if (writePlainXMLPropertyList(plist, kMaxNesting, bytes)) return make<NSData>(std::move(bytes));
  }
  std::string error;
  Plist root = owned(nodeFromObject(plist, format, 0, error));
  if (!root) {
    report(errorDescription, error);
    return nullptr;
  }
  Ref<NSData> data = encode(root.get(), format);
  if (!data) report(errorDescription, "The property list encoder produced no data");
  return data;
}

Ref<NSObject> NSPropertyListSerialization::propertyListWithData(const NSData* data,
                                                                NSPropertyListFormat* format,
                                                                Ref<NSString>* errorDescription) {
  if (!data || data->length() == 0 || data->length() > UINT32_MAX) {
    report(errorDescription, "Not a property list: no data, or too much");
    return nullptr;
  }
  switch (PropertyListShapeOf(data->bytes(), data->length(), kMaxNesting)) {
    case PropertyListShape::Acceptable: break;
    case PropertyListShape::TooDeep:
      report(errorDescription, "Property list nested too deeply");
      return nullptr;
    case PropertyListShape::TooLarge:
      report(errorDescription, "Property list too large once its shared objects are copied out");
      return nullptr;
    case PropertyListShape::Malformed:
      report(errorDescription, "Not a property list in binary form: its objects cannot be followed");
      return nullptr;
  }
  const char* bytes = reinterpret_cast<const char*>(data->bytes());
  auto length = static_cast<uint32_t>(data->length());
  if (!plist_is_binary(bytes, length)) {
    if (Ref<NSObject> object = readPlainXMLPropertyList(std::string_view(bytes, length), kMaxNesting)) {
      if (format) *format = NSPropertyListXMLFormat_v1_0;
      return object;
    }
  }
  plist_t node = nullptr;
  plist_from_memory(bytes, length, &node);
  Plist root = owned(node);
  if (root && plist_is_binary(bytes, length)) root = withSafeKeys(std::move(root));
  Ref<NSObject> object = root ? objectFromNode(root.get(), 0) : nullptr;
  if (!object) {
    report(errorDescription, root ? "Property list nested too deeply or holding an unknown type"
                                  : "Not a property list in XML or binary form");
    return nullptr;
  }
  if (format) {
    *format = plist_is_binary(bytes, length) ? NSPropertyListBinaryFormat_v1_0
                                             : NSPropertyListXMLFormat_v1_0;
  }
  return object;
}
