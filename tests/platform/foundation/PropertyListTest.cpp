#include <gtest/gtest.h>

#include "BinaryPlist.h"
#include "foundation/NSDate.h"
#include "foundation/NSDictionary.h"
#include "foundation/NSNumber.h"
#include "foundation/NSPropertyListSerialization.h"
#include "TempDeviceRoot.h"
#include "XmlCharacters.h"

namespace {

using Serialization = NSPropertyListSerialization;

Ref<NSString> str(const char* s) { return NSString::stringWithUTF8String(s); }

// One value of every kind a property list holds, text that XML must escape, a nested dictionary.
Ref<NSMutableDictionary> everyKind() {
  auto d = NSMutableDictionary::dictionary();
  d->setObject(str("a & b < c > \"d\""), "text");
  d->setObject(NSNumber::numberWithLongLong(-42), "negative");
  d->setObject(NSNumber::numberWithDouble(0.1), "real");
  d->setObject(NSNumber::numberWithBool(true), "yes");
  d->setObject(NSData::dataWithBytes("\0\1\377", 3), "data");
  d->setObject(NSDate::dateWithTimeIntervalSinceReferenceDate(123456789), "date");
  d->setObject(make<NSArray>(std::vector<Ref<NSObject>>{str("x"), NSNumber::numberWithInt(3)}), "list");
  d->setObject(NSDictionary::dictionary(), "   ");
  return d;
}

Ref<NSObject> parse(const std::string& bytes, NSPropertyListFormat* format = nullptr) {
  return Serialization::propertyListWithData(NSData::dataWithBytes(bytes.data(), bytes.size()).get(),
                                             format, nullptr);
}

TEST(PropertyLists, BothFormatsRoundTripEveryKind) {
  for (auto format : {NSPropertyListXMLFormat_v1_0, NSPropertyListBinaryFormat_v1_0}) {
    auto data = Serialization::dataFromPropertyList(everyKind().get(), format, nullptr);
    ASSERT_TRUE(data);
    NSPropertyListFormat read{};
    auto back = Serialization::propertyListWithData(data, &read, nullptr);
    EXPECT_EQ(read, format);
    EXPECT_TRUE(NSObjectIsEqual(back, everyKind().get())) << format;
  }
}

TEST(PropertyLists, WhatCannotBeEncodedIsAnErrorWithADescription) {
  auto odd = NSMutableDictionary::dictionary();
  odd->setObject(make<NSObject>(), "odd");
  auto loop = NSMutableDictionary::dictionary();
  loop->setObject(loop, "self");  // followed for ever, this would never end
  for (auto [plist, format] : {std::pair<NSObject*, NSPropertyListFormat>{odd, NSPropertyListXMLFormat_v1_0},
                               {loop, NSPropertyListBinaryFormat_v1_0},
                               {everyKind().get(), NSPropertyListOpenStepFormat}}) {
    Ref<NSString> error;
    EXPECT_FALSE(Serialization::dataFromPropertyList(plist, format, &error));
    EXPECT_TRUE(error && !error->string().empty());
  }
  loop->removeAllObjects();
}

TEST(PropertyLists, AnythingButXmlOrBinaryIsRefused) {
  for (const std::string& bad : std::vector<std::string>{
           "", "garbage", "{ a = b; }", "<plist><dict><key>a</key>", "bplist00xyz",
           "bplist00" + std::string(40, '\xff')})
    EXPECT_FALSE(parse(bad)) << bad;
}

TEST(PropertyLists, TextHoldingNulDoesNotAbortTheReader) {
  // A binary list whose UTF-16 key and value hold U+0000, and an XML value with a raw NUL: the
  // library's string accessors assert on both. Text ends at the NUL.
  const unsigned char binary[] = {
      0x62, 0x70, 0x6c, 0x69, 0x73, 0x74, 0x30, 0x30, 0xd1, 0x01, 0x02, 0x63, 0x00, 0x61, 0x00, 0x00,
      0x00, 0xe9, 0x63, 0x00, 0x76, 0x00, 0x00, 0x00, 0xe9, 0x08, 0x0b, 0x12, 0x00, 0x00, 0x00, 0x00,
      0x00, 0x00, 0x01, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x00,
      0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x19};
  auto dict = NSDictionary::dictionaryWithContentsOfData(NSData::dataWithBytes(binary, sizeof binary).get());
  ASSERT_TRUE(dict);
  EXPECT_EQ(static_cast<NSString*>(dict->objectForKey("a"))->string(), "v");
  const char text[] = "<plist><dict><key>k</key><string>x\0y</string></dict></plist>";
  auto xml = parse(std::string(text, sizeof text - 1));
  ASSERT_TRUE(dynamic_cast<NSDictionary*>(xml.get()));
  EXPECT_EQ(static_cast<NSString*>(dynamic_cast<NSDictionary*>(xml.get())->objectForKey("k"))->string(), "x");
}

TEST(PropertyLists, DeepNestingIsRefusedWithoutExhaustingTheStack) {
  auto arrays = [](int depth) {
    std::string s = "<plist>";
    for (int i = 0; i < depth; ++i) s += "<array>";
    for (int i = 0; i < depth; ++i) s += "</array>";
    return s + "</plist>";
  };
  EXPECT_TRUE(parse(arrays(Serialization::kMaxNesting)));
  EXPECT_FALSE(parse(arrays(Serialization::kMaxNesting + 1)));
  EXPECT_FALSE(parse(arrays(1'000'000)));  // overflows the stack inside libplist if handed over
  std::string flat = "<plist><array>";     // empty elements and comments are no nesting
  for (int i = 0; i < 5000; ++i) flat += "<!-- <array> --><array/><true/>";
  EXPECT_TRUE(parse(flat + "</array></plist>"));
}

TEST(PropertyLists, BinaryNestingIsBoundedAsXmlIs) {
  const int limit = Serialization::kMaxNesting;
  EXPECT_TRUE(parse(BinaryPlist::nestedArrays(limit)));
  EXPECT_FALSE(parse(BinaryPlist::nestedArrays(limit + 1)));
  // About 30,000 levels in 150 KB overflow the stack inside libplist if handed over.
  EXPECT_FALSE(parse(BinaryPlist::nestedArrays(30'000)));

  auto nestedDictionaries = [](int depth) {  // {"k": {"k": ... {}}}, all sharing one key object
    BinaryPlist plist;
    const int key = plist.ascii("k");
    for (int i = 0; i < depth; ++i)
      plist.dict(i + 1 < depth ? std::vector<std::pair<int, int>>{{key, i + 2}} : std::vector<std::pair<int, int>>{});
    return plist.bytes(1);
  };
  EXPECT_TRUE(parse(nestedDictionaries(limit)));
  EXPECT_FALSE(parse(nestedDictionaries(limit + 1)));

  BinaryPlist inItself;  // an array holding itself is endless nesting
  inItself.array({0});
  EXPECT_FALSE(parse(inItself.bytes(0)));
}

TEST(PropertyLists, SharedBinaryObjectsCannotMultiplyIntoAHugeTree) {
  // Each array holds the next one twice: libplist copies a shared object at every use, so a file
  // of a few hundred bytes would become a tree of 2^levels nodes.
  auto halves = [](int levels) {
    BinaryPlist plist;
    for (int i = 0; i < levels; ++i) plist.array({i + 1, i + 1});
    plist.ascii("leaf");
    return plist.bytes(0);
  };
  EXPECT_TRUE(parse(halves(14)));   // 2^15 - 1 nodes
  EXPECT_FALSE(parse(halves(16)));  // 2^17 - 1 nodes, beyond kMaxBinaryTreeNodes
  EXPECT_FALSE(parse(halves(40)));
}

TEST(PropertyLists, TextThatXmlCannotHoldIsAnEncodingError) {
  using namespace std::string_literals;
  // Binary holds control characters and non-characters, but neither a NUL nor text that is not UTF-8.
  struct Case { std::string text; bool binaryHoldsIt; };
  for (const auto& [bad, binaryHoldsIt] :
       {Case{"a\0b"s, false}, {"\xff", false}, {"caf\xc3", false}, {"\xc0\xaf", false}, {"\xed\xa0\x80", false},
        {"\xf4\x90\x80\x80", false}, {"\x01", true}, {"a\x1b[0m", true}, {"\x0c", true},
        {"\xef\xbf\xbe", true}, {"\xef\xbf\xbf", true}}) {
    auto asValue = NSMutableDictionary::dictionary();
    asValue->setObject(NSString::stringWithString(bad), "key");
    auto asKey = NSMutableDictionary::dictionary();
    asKey->setObject(str("value"), bad);
    for (NSObject* plist : {static_cast<NSObject*>(asValue.get()), static_cast<NSObject*>(asKey.get())}) {
      Ref<NSString> error;
      EXPECT_FALSE(Serialization::dataFromPropertyList(plist, NSPropertyListXMLFormat_v1_0, &error)) << bad;
      EXPECT_TRUE(error && error->string().starts_with("Property list invalid for format")) << bad;
      EXPECT_EQ(bool(Serialization::dataFromPropertyList(plist, NSPropertyListBinaryFormat_v1_0, nullptr)),
                binaryHoldsIt) << bad;
    }
  }
}

TEST(PropertyLists, AnyOtherTextSurvivesXmlUnchangedForAStrictReader) {
  for (const std::string good : {"\t", "a\nb", "a\rb", "a\r\nb\r", "\x7f", "\xc2\x85", "\xef\xbf\xbd",
                                 "\xf0\x9f\x8e\xb5", "\xf4\x8f\xbf\xbf", " x ", "&#13;", "]]>", "<&>"}) {
    auto dict = NSMutableDictionary::dictionary();
    dict->setObject(NSString::stringWithString(good), good);
    Ref<NSString> error;
    auto xml = Serialization::dataFromPropertyList(dict, NSPropertyListXMLFormat_v1_0, &error);
    ASSERT_TRUE(xml) << good << ": " << error->string();
    const std::string text(reinterpret_cast<const char*>(xml->bytes()), xml->length());
    EXPECT_EQ(firstByteXmlCannotKeep(text), std::string::npos) << text;
    auto back = NSDictionary::dictionaryWithContentsOfData(xml);
    ASSERT_TRUE(back) << good;
    EXPECT_TRUE(back->isEqualToDictionary(dict)) << good;
  }
}

class DictionaryFiles : public TempDeviceRoot {};

TEST_F(DictionaryFiles, ContentsOfFileGivesADictionaryOrNil) {
  const std::string path = "/var/mobile/p.plist";
  EXPECT_FALSE(NSDictionary::dictionaryWithContentsOfFile(path));  // missing
  std::filesystem::create_directories(host(path));
  EXPECT_FALSE(NSDictionary::dictionaryWithContentsOfFile(path));  // a folder
  std::filesystem::remove(host(path));
  ASSERT_TRUE(everyKind()->writeToFile(path, true));
  auto dict = NSMutableDictionary::dictionaryWithContentsOfFile(path);
  EXPECT_TRUE(dict && dict->isEqualToDictionary(everyKind().get()));
}

}  // namespace
