#include <gtest/gtest.h>

#include <string>

#include "foundation/NSArray.h"
#include "foundation/NSDate.h"
#include "foundation/NSDictionary.h"
#include "foundation/NSNumber.h"
#include "foundation/NSPropertyListSerialization.h"
#include "foundation/TempDeviceRoot.h"

namespace {

Ref<NSString> str(const char* s) { return NSString::stringWithUTF8String(s); }

// A dictionary with one value of every kind a property list holds.
Ref<NSMutableDictionary> everyKind() {
  auto inner = NSMutableDictionary::dictionary();
  inner->setObject(str("80.000000"), "bassfreq");
  auto dict = NSMutableDictionary::dictionary();
  dict->setObject(str("a & b < c > \"d\""), "text");
  dict->setObject(str(""), "empty");
  dict->setObject(NSNumber::numberWithLongLong(-42), "negative");
  dict->setObject(NSNumber::numberWithDouble(0.1), "real");
  dict->setObject(NSNumber::numberWithBool(true), "yes");
  dict->setObject(NSData::dataWithBytes("\0\1\2\377", 4), "data");
  dict->setObject(NSDate::dateWithTimeIntervalSinceReferenceDate(123456789), "date");
  dict->setObject(make<NSArray>(std::vector<Ref<NSObject>>{str("x"), NSNumber::numberWithInt(3)}),
                  "list");
  dict->setObject(inner, "   ");
  return dict;
}

Ref<NSObject> parse(const std::string& bytes, NSPropertyListFormat* format = nullptr,
                    Ref<NSString>* error = nullptr) {
  auto data = NSData::dataWithBytes(bytes.data(), bytes.size());
  return NSPropertyListSerialization::propertyListWithData(data, format, error);
}

std::string encode(const NSObject* plist, NSPropertyListFormat format) {
  Ref<NSString> error;
  auto data = NSPropertyListSerialization::dataFromPropertyList(plist, format, &error);
  EXPECT_FALSE(error) << error->string();
  return data ? std::string(reinterpret_cast<const char*>(data->bytes()), data->length()) : "";
}

TEST(PropertyListSerialization, BothFormatsRoundTripEveryKind) {
  auto dict = everyKind();
  for (auto format : {NSPropertyListXMLFormat_v1_0, NSPropertyListBinaryFormat_v1_0}) {
    std::string bytes = encode(dict, format);
    NSPropertyListFormat read{};
    auto back = parse(bytes, &read);
    ASSERT_TRUE(back) << format;
    EXPECT_EQ(read, format);
    EXPECT_TRUE(dict->isEqualToDictionary(dynamic_cast<NSDictionary*>(back.get()))) << format;
  }
}

TEST(PropertyListSerialization, XmlIsTheVersionOneFormatWithEscapedText) {
  std::string xml = encode(everyKind(), NSPropertyListXMLFormat_v1_0);
  EXPECT_NE(xml.find("<plist version=\"1.0\">"), std::string::npos);
  EXPECT_NE(xml.find("a &amp; b &lt; c &gt;"), std::string::npos);
  auto empty = NSDictionary::dictionary();
  auto back = parse(encode(empty, NSPropertyListXMLFormat_v1_0));
  ASSERT_TRUE(dynamic_cast<NSDictionary*>(back.get()));
  EXPECT_EQ(dynamic_cast<NSDictionary*>(back.get())->count(), 0u);
}

TEST(PropertyListSerialization, ObjectsNoPropertyListHoldsAreAnEncodingError) {
  auto dict = NSMutableDictionary::dictionary();
  dict->setObject(make<NSObject>(), "odd");
  Ref<NSString> error;
  EXPECT_FALSE(NSPropertyListSerialization::dataFromPropertyList(dict, NSPropertyListXMLFormat_v1_0, &error));
  ASSERT_TRUE(error);
  EXPECT_NE(error->string().find("cannot contain"), std::string::npos);

  // A dictionary inside itself is refused, not followed for ever.
  auto loop = NSMutableDictionary::dictionary();
  loop->setObject(loop, "self");
  error = nullptr;
  EXPECT_FALSE(NSPropertyListSerialization::dataFromPropertyList(loop, NSPropertyListXMLFormat_v1_0, &error));
  EXPECT_TRUE(error);
  loop->removeAllObjects();  // break the cycle so the test does not leak

  error = nullptr;
  EXPECT_FALSE(NSPropertyListSerialization::dataFromPropertyList(dict, NSPropertyListOpenStepFormat, &error));
  EXPECT_TRUE(error);
}

TEST(PropertyListSerialization, OnlyXmlAndBinaryPropertyListsParse) {
  Ref<NSString> error;
  for (const std::string& bad : std::vector<std::string>{"", "garbage", "{ a = b; }", "<plist><dict><key>a</key>", "bplist00xyz",
                          std::string("bplist00") + std::string(40, '\xff')}) {
    error = nullptr;
    EXPECT_FALSE(parse(bad, nullptr, &error)) << bad;
    EXPECT_TRUE(error);
  }
  auto root = parse("<plist><array><string>x</string></array></plist>");
  EXPECT_TRUE(dynamic_cast<NSArray*>(root.get()));
}

std::string nested(int depth) {
  std::string s = "<plist>";
  for (int i = 0; i < depth; ++i) s += "<array>";
  for (int i = 0; i < depth; ++i) s += "</array>";
  return s + "</plist>";
}

TEST(PropertyListSerialization, DeepNestingIsRefusedWithoutExhaustingTheStack) {
  EXPECT_TRUE(parse(nested(NSPropertyListSerialization::kMaxNesting)));
  EXPECT_FALSE(parse(nested(NSPropertyListSerialization::kMaxNesting + 1)));
  // Deep enough to overflow the stack inside the parser if it were handed over.
  EXPECT_FALSE(parse(nested(1'000'000)));
  // Self-closing elements and comments do not count as nesting.
  std::string flat = "<plist><array>";
  for (int i = 0; i < 5000; ++i) flat += "<!-- <array> --><array/><true/>";
  EXPECT_TRUE(parse(flat + "</array></plist>"));
}

class DictionaryFiles : public TempDeviceRoot {};

TEST_F(DictionaryFiles, ContentsOfFileGivesADictionaryOrNil) {
  const std::string path = "/var/mobile/p.plist";
  EXPECT_FALSE(NSDictionary::dictionaryWithContentsOfFile(path));  // missing
  writeHostFile(path, "");
  EXPECT_FALSE(NSDictionary::dictionaryWithContentsOfFile(path));  // empty
  writeHostFile(path, "<plist><array/></plist>");
  EXPECT_FALSE(NSDictionary::dictionaryWithContentsOfFile(path));  // another root
  writeHostFile(path, encode(everyKind(), NSPropertyListBinaryFormat_v1_0));
  auto dict = NSMutableDictionary::dictionaryWithContentsOfFile(path);
  ASSERT_TRUE(dict);
  EXPECT_TRUE(dict->isEqualToDictionary(everyKind()));
  dict->setObject(str("new"), "added");  // the top level of the mutable form can change
  EXPECT_EQ(dict->count(), everyKind()->count() + 1);

  std::filesystem::create_directories(host("/var/mobile/folder.plist"));
  EXPECT_FALSE(NSDictionary::dictionaryWithContentsOfFile("/var/mobile/folder.plist"));
}

TEST_F(DictionaryFiles, WriteToFileThenReadBack) {
  ASSERT_TRUE(everyKind()->writeToFile("/p.plist", true));
  auto back = NSDictionary::dictionaryWithContentsOfFile("/p.plist");
  EXPECT_TRUE(back && back->isEqualToDictionary(everyKind()));
  EXPECT_EQ(readHostFile("/p.plist").rfind("<?xml", 0), 0u);
}

TEST(Dictionaries, CopiesAreShallowAndIndependent) {
  auto dict = NSMutableDictionary::dictionary();
  dict->setObject(str("1"), "a");
  Ref<NSDictionary> copy = dict->copy();
  dict->setObject(str("2"), "b");
  dict->setObject(str("3"), "a");
  dict->setObject(nullptr, "c");  // nil is ignored
  EXPECT_EQ(copy->count(), 1u);
  EXPECT_EQ(static_cast<NSString*>(copy->objectForKey("a"))->string(), "1");
  EXPECT_EQ(dict->count(), 2u);
  dict->removeObjectForKey("missing");
  EXPECT_EQ(dict->count(), 2u);
  auto keys = dict->allKeys();
  ASSERT_EQ(keys->count(), 2u);
  EXPECT_EQ(static_cast<NSString*>(keys->objectAtIndex(0))->string(), "a");
}

}  // namespace
