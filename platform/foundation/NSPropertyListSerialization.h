// Converting between property-list objects (NSDictionary, NSArray, NSString, NSNumber, NSData,
// NSDate) and their XML and binary encodings, by way of libplist.
#pragma once

#include <cstddef>

#include "foundation/NSData.h"
#include "foundation/NSString.h"
#include "objc/NSObject.h"

enum NSPropertyListFormat : unsigned long {
  NSPropertyListOpenStepFormat = 1,
  NSPropertyListXMLFormat_v1_0 = 100,
  NSPropertyListBinaryFormat_v1_0 = 200,
};

class NSPropertyListSerialization {
 public:
  NSPropertyListSerialization() = delete;

  // Encodes `plist` in `format` (XML or binary). On failure returns nil and describes why in
  // *errorDescription (if given): an object that a property list cannot hold, text the format
  // cannot hold exactly (a NUL or bytes that are not UTF-8; in XML also the control characters
  // and non-characters it forbids), nesting deeper than kMaxNesting (or a container inside
  // itself), or a format that cannot be written. Any other text reads back unchanged.
  static Ref<NSData> dataFromPropertyList(const NSObject* plist, NSPropertyListFormat format,
                                          Ref<NSString>* errorDescription);

  // Decodes an XML or binary property list, whatever its root. On failure returns nil and
  // describes why in *errorDescription (if given); *format (if given) receives the form read.
  // Refused before parsing: nesting deeper than kMaxNesting, and binary files whose shared
  // objects would be copied out into more than kMaxBinaryTreeNodes nodes.
  // Containers come back immutable. Integers are read as signed 64-bit values.
  static Ref<NSObject> propertyListWithData(const NSData* data, NSPropertyListFormat* format,
                                            Ref<NSString>* errorDescription);

  // More containers than this, one inside the other, are refused both ways: the parser and the objects built
  // from it recurse once per level, and a hand-made file must not exhaust the stack.
  static constexpr int kMaxNesting = 256;
};
