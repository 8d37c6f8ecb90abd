// The one-pass XML reader and writer against libplist: the writer must write what libplist
// writes, to the byte, and whatever the reader takes, libplist must read the same way. Whatever
// the reader declines goes to libplist, so damaged files are refused as before.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "LibplistOracle.h"
#include "foundation/NSPropertyListSerialization.h"
#include "foundation/PropertyListPlainXML.h"

namespace {

constexpr int kNesting = NSPropertyListSerialization::kMaxNesting;

// Random trees of what the one-pass writer covers, with text that needs escaping, keys given
// twice, empty keys and containers, and multi-byte characters.
class Trees {
 public:
  explicit Trees(unsigned seed) : random_(seed) {}

  Ref<NSObject> tree(int depth = 0) {
    switch (pick(depth < 4 ? 7 : 4)) {
      case 0: return NSString::stringWithString(text());
      case 1: return NSNumber::numberWithBool(pick(2) == 1);
      case 2: {
        static const long long kEdges[] = {0, 1, -1, 42, -5, INT64_MAX, INT64_MIN, 1000000000000000000LL};
        return NSNumber::numberWithLongLong(pick(2) ? kEdges[pick(8)] : (long long)random_() - (1LL << 31));
      }
      case 3: return NSString::stringWithString(pick(2) ? "80.000000" : "");
      case 4:
      case 5: {
        auto dict = NSMutableDictionary::dictionary();
        for (int i = pick(5); i > 0; --i) dict->setObject(tree(depth + 1), pick(4) ? text() : std::string("same"));
        return dict;
      }
      default: {
        std::vector<Ref<NSObject>> items;
        for (int i = pick(4); i > 0; --i) items.push_back(tree(depth + 1));
        return make<NSArray>(std::move(items));
      }
    }
  }

  std::string text() {
    static const char* const kPieces[] = {"a", "Preset 1", " ", "\t", "\n", "\r", "&", "<", ">", "\"", "'",
                                          "]]>", "&amp;", "é", "€", "😀", "0.500000", "-", "/", ";"};
    std::string out;
    for (int i = pick(6); i > 0; --i) out += kPieces[pick(sizeof kPieces / sizeof *kPieces)];
    return out;
  }

  int pick(int n) { return static_cast<int>(random_() % unsigned(n)); }

 private:
  std::mt19937 random_;
};

std::string written(const NSObject* tree) {
  std::vector<unsigned char> bytes;
  EXPECT_TRUE(writePlainXMLPropertyList(tree, kNesting, bytes));
  return std::string(bytes.begin(), bytes.end());
}

TEST(PlainXmlPropertyLists, WriterWritesWhatLibplistWritesAndReadsBackTheSame) {
  Trees trees(1);
  int readBackPlainly = 0;
  for (int i = 0; i < 3000; ++i) {
    Ref<NSObject> tree = trees.tree();
    const std::string ours = written(tree.get());
    ASSERT_EQ(ours, oracle::writes(tree.get())) << "tree " << i;
    EXPECT_TRUE(isPlainXMLPropertyListOf(tree.get(), kNesting, ours));
    // Whichever reader takes it, the text reads back as the tree.
    Ref<NSObject> back = NSPropertyListSerialization::propertyListWithData(
        NSData::dataWithBytes(ours.data(), ours.size()).get(), nullptr, nullptr);
    ASSERT_TRUE(NSObjectIsEqual(back.get(), tree.get())) << ours;
    readBackPlainly += readPlainXMLPropertyList(ours, kNesting) != nullptr;
  }
  EXPECT_GT(readBackPlainly, 1000);  // text without carriage returns is read in one pass
}

TEST(PlainXmlPropertyLists, ComparisonNoticesAnyDifference) {
  auto store = NSMutableDictionary::dictionary();
  auto preset = NSMutableDictionary::dictionary();
  preset->setObject(NSString::stringWithString("80.000000"), "bassfreq");
  store->setObject(preset, "Rock");
  const std::string text = written(store.get());
  ASSERT_TRUE(isPlainXMLPropertyListOf(store.get(), kNesting, text));
  std::string changed = text;
  changed[changed.find("80")] = '9';  // same size, one value differs
  EXPECT_FALSE(isPlainXMLPropertyListOf(store.get(), kNesting, changed));
  EXPECT_FALSE(isPlainXMLPropertyListOf(store.get(), kNesting, text + "\n"));
  EXPECT_FALSE(isPlainXMLPropertyListOf(store.get(), kNesting, text.substr(0, text.size() - 1)));
  EXPECT_FALSE(isPlainXMLPropertyListOf(store.get(), kNesting, ""));
}

TEST(PlainXmlPropertyLists, WhatTheReaderTakesLibplistReadsTheSame) {
  // Written trees, then damaged or made odd in places: the reader must decline what it cannot
  // read exactly as libplist does, and the rest must agree.
  static const std::string kEdits[] = {
      " ", "\r\n", "\t", "<!-- note -->", "<![CDATA[x<y]]>", "&#65;", "&#x42;", "&#0;", "&bogus;", "&amp;",
      "&lt;", "&quot;", "&apos;", "<", ">", "&", std::string("\0", 1), "\xff", "\xc3", "</dict>",
      "<key>k</key>", "<key>k</key><string>v</string>", "<real>1.5</real>", "<integer>007</integer>",
      "<integer>+5</integer>", "<integer> 5</integer>", "<date>2001-01-01T00:00:00Z</date>",
      "<data>AAE=</data>", "<string/>", "<dict/>", "<true/>", "<array></array>", "</plist>", "<plist>",
      "<?xml version=\"1.0\"?>", "<!DOCTYPE plist>", "x"};
  Trees trees(2);
  int taken = 0, declined = 0;
  for (int i = 0; i < 6000; ++i) {
    Ref<NSObject> tree = trees.tree();
    std::string text = written(tree.get());
    for (int edits = trees.pick(3); edits > 0; --edits) {
      const std::size_t at = static_cast<std::size_t>(trees.pick(int(text.size()) + 1));
      switch (trees.pick(3)) {
        case 0: text.insert(at, kEdits[trees.pick(sizeof kEdits / sizeof *kEdits)]); break;
        case 1: text.erase(at, static_cast<std::size_t>(trees.pick(4))); break;
        default: text.resize(std::min(text.size(), at + 40 + static_cast<std::size_t>(trees.pick(40))));
      }
    }
    Ref<NSObject> ours = readPlainXMLPropertyList(text, kNesting);
    if (!ours) {
      ++declined;
      continue;
    }
    ++taken;
    ASSERT_TRUE(oracle::readsAs(text, ours.get())) << text;
  }
  EXPECT_GT(taken, 1000);
  EXPECT_GT(declined, 1000);
}

TEST(PlainXmlPropertyLists, OddButValidTextReadsAsLibplistReadsIt) {
  const char* const kHeader = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  const std::string kOdd[] = {
      // Taken by the one-pass reader.
      std::string(kHeader) + "<plist version=\"1.0\"><dict><key>a&amp;b</key><string>&lt;&gt;&quot;&apos;</string></dict></plist>",
      "<plist version=\"1.0\">\r\n<dict>\r\n\t<key></key>\r\n\t<string>\n x \t</string>\r\n</dict>\r\n</plist>\r\n",
      std::string(kHeader) + "<plist><array><dict/><array/><true/><false/><integer>-12</integer><integer>0</integer></array></plist>",
      std::string(kHeader) + "<plist version=\"1.0\"><dict><key>k</key><string>1</string><key>k</key><string>2</string></dict></plist>",
      "<?xml version=\"1.0\"?>\n<plist version=\"1.0\"><string>short declaration</string></plist>",
      // Left to libplist.
      std::string(kHeader) + "<!-- saved by hand --><plist version=\"1.0\"><dict><key>a</key><!-- x --><string>b</string></dict></plist>",
      std::string(kHeader) + "<plist version=\"1.0\"><string><![CDATA[<not a tag> & more]]></string></plist>",
      std::string(kHeader) + "<plist version=\"1.0\"><string>&#65;&#x42;&#13;</string></plist>",
      std::string(kHeader) + "<plist version=\"1.0\"><dict><key>n</key><integer>007</integer></dict></plist>",
      std::string(kHeader) + "<plist version=\"1.0\"><string>a > b</string></plist>",
      "<?xml version='1.0' encoding='UTF-8'?><plist version=\"1.0\"><string>x</string></plist>",
      std::string(kHeader) + "<!DOCTYPE plist SYSTEM \"file://localhost/System/Library/DTDs/PropertyList.dtd\">"
          "<plist version=\"1.0\"><string>x</string></plist>",
      std::string(kHeader) + "<plist version=\"1.0\"><dict><key>a</key><string>b</string></dict>",  // no </plist>
  };
  for (const std::string& text : kOdd) {
    Ref<NSObject> read = NSPropertyListSerialization::propertyListWithData(
        NSData::dataWithBytes(text.data(), text.size()).get(), nullptr, nullptr);
    ASSERT_TRUE(read) << text;
    EXPECT_TRUE(oracle::readsAs(text, read.get())) << text;
  }
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(readPlainXMLPropertyList(kOdd[i], kNesting)) << kOdd[i];
  for (std::size_t i = 5; i < std::size(kOdd); ++i) EXPECT_FALSE(readPlainXMLPropertyList(kOdd[i], kNesting)) << kOdd[i];
}

TEST(PlainXmlPropertyLists, DamagedTextIsDeclinedAndRefusedAsBefore) {
  const char* const kHeader = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">";
  const std::string kDamaged[] = {
      std::string(kHeader) + "<dict><key>a</key><string>b</string></plist>",            // no </dict>
      std::string(kHeader) + "<dict><key>a</key><string>b</dict></string></plist>",     // crossed
      std::string(kHeader) + "<dict><string>b</string></dict></plist>",                 // no key
      std::string(kHeader) + "<string>b</strin></plist>",
  };
  for (const std::string& text : kDamaged) {
    EXPECT_FALSE(readPlainXMLPropertyList(text, kNesting)) << text;
    Ref<NSString> why;
    EXPECT_FALSE(NSPropertyListSerialization::propertyListWithData(
        NSData::dataWithBytes(text.data(), text.size()).get(), nullptr, &why))
        << text;
    ASSERT_TRUE(why);
    EXPECT_EQ(why->string(), "Not a property list in XML or binary form") << text;
  }
}

TEST(PlainXmlPropertyLists, ContainersAtTheNestingLimitAreLeftToTheGeneralPath) {
  std::string deep = "<plist version=\"1.0\">";
  for (int i = 0; i <= kNesting; ++i) deep += "<array>";
  for (int i = 0; i <= kNesting; ++i) deep += "</array>";
  deep += "</plist>";
  EXPECT_FALSE(readPlainXMLPropertyList(deep, kNesting));
  EXPECT_TRUE(readPlainXMLPropertyList(deep, kNesting + 1));
}

}  // namespace
