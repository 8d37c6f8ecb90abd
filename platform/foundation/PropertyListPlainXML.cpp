#include "foundation/PropertyListPlainXML.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <unordered_map>
#include <utility>

#include "foundation/NSArray.h"
#include "foundation/NSDictionary.h"
#include "foundation/NSNumber.h"
#include "foundation/LargeBuffers.h"
#include "foundation/NSString.h"
#include "foundation/PropertyListText.h"

namespace {

// ---- reading ----

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

class PlainReader {
 public:
  PlainReader(std::string_view text, int maxNesting) : s_(text), maxNesting_(maxNesting) {}

  // The declaration, doctype and <plist> tag only in the forms writers use: libplist reads
  // their attributes, and refuses some that are not well formed.
  Ref<NSObject> document() {
    if (!eat("<?xml version=\"1.0\" encoding=\"UTF-8\"?>")) eat("<?xml version=\"1.0\"?>");
    skipSpace();
    if (eat("<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
            "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">"))
      skipSpace();
    if (!eat("<plist version=\"1.0\">") && !eat("<plist>")) return nullptr;
    skipSpace();
    Ref<NSObject> root = value(0);
    if (!root) return nullptr;
    skipSpace();
    if (!eat("</plist>")) return nullptr;
    skipSpace();
    return at_ == s_.size() ? root : nullptr;
  }

 private:
  bool eat(std::string_view token) {
    if (s_.compare(at_, token.size(), token) != 0) return false;
    at_ += token.size();
    return true;
  }
  void skipSpace() {
    while (at_ < s_.size() && isSpace(s_[at_])) ++at_;
  }

  Ref<NSObject> value(int depth) {
    if (eat("<string>")) {
      std::string text;
      if (!textUpTo("</string>", text)) return nullptr;
      return shared(std::move(text));
    }
    if (eat("<dict>")) return depth < maxNesting_ ? dictionary(depth) : nullptr;
    if (eat("<array>")) return depth < maxNesting_ ? array(depth) : nullptr;
    if (eat("<dict/>")) return depth < maxNesting_ ? make<NSDictionary>() : nullptr;
    if (eat("<array/>")) return depth < maxNesting_ ? make<NSArray>(std::vector<Ref<NSObject>>{}) : nullptr;
    if (eat("<true/>")) return NSNumber::numberWithBool(true);
    if (eat("<false/>")) return NSNumber::numberWithBool(false);
    if (eat("<integer>")) return integer();
    return nullptr;
  }

  Ref<NSObject> dictionary(int depth) {
    // Entries gather in a buffer kept for this depth, then move into storage of their exact size.
    const std::size_t first = scratch(depth).size();
    for (;;) {
      skipSpace();
      if (eat("</dict>")) break;
      std::string key;
      if (!eat("<key>") || !textUpTo("</key>", key)) return nullptr;
      skipSpace();
      Ref<NSObject> object = value(depth + 1);
      if (!object) return nullptr;
      scratch(depth).emplace_back(std::move(key), std::move(object));
    }
    std::vector<DictionaryEntries::Entry>& all = scratch(depth);
    std::vector<DictionaryEntries::Entry> entries(std::make_move_iterator(all.begin() + first),
                                                  std::make_move_iterator(all.end()));
    all.resize(first);
    return make<NSDictionary>(DictionaryEntries::fromUnordered(std::move(entries)));
  }

  std::vector<DictionaryEntries::Entry>& scratch(int depth) {
    if (scratch_.size() <= std::size_t(depth)) scratch_.resize(depth + 1);
    return scratch_[depth];
  }

  Ref<NSObject> array(int depth) {
    std::vector<Ref<NSObject>> objects;
    for (;;) {
      skipSpace();
      if (eat("</array>")) break;
      Ref<NSObject> object = value(depth + 1);
      if (!object) return nullptr;
      objects.push_back(std::move(object));
    }
    objects.shrink_to_fit();
    return make<NSArray>(std::move(objects));
  }

  // A plain decimal: an optional minus sign and up to 18 digits, no leading zero.
  Ref<NSObject> integer() {
    const bool negative = eat("-");
    const std::size_t first = at_;
    long long magnitude = 0;
    while (at_ < s_.size() && s_[at_] >= '0' && s_[at_] <= '9' && at_ - first < 18)
      magnitude = magnitude * 10 + (s_[at_++] - '0');
    const std::size_t digits = at_ - first;
    if (digits == 0 || (s_[first] == '0' && (digits > 1 || negative))) return nullptr;
    if (!eat("</integer>")) return nullptr;
    return NSNumber::numberWithLongLong(negative ? -magnitude : magnitude);
  }

  // Element text up to `closing`: characters XML allows as they are (no carriage return, no raw
  // '>'), valid UTF-8, and the five named entities.
  bool textUpTo(std::string_view closing, std::string& out) {
    bool wide = false;
    for (;;) {
      std::size_t run = at_;
      while (run < s_.size()) {
        const auto c = static_cast<unsigned char>(s_[run]);
        if (c == '<' || c == '&' || c == '>' || (c < 0x20 && c != '\t' && c != '\n')) break;
        wide |= c >= 0x80;
        ++run;
      }
      out.append(s_.substr(at_, run - at_));
      at_ = run;
      if (at_ >= s_.size()) return false;
      if (s_[at_] == '<') break;
      if (s_[at_] != '&') return false;
      if (eat("&amp;")) out += '&';
      else if (eat("&lt;")) out += '<';
      else if (eat("&gt;")) out += '>';
      else if (eat("&quot;")) out += '"';
      else if (eat("&apos;")) out += '\'';
      else return false;
    }
    if (!eat(closing)) return false;
    return !wide || PropertyListTextProblem(out, NSPropertyListXMLFormat_v1_0).empty();
  }

  // Settings repeat the same few values over and over: one object serves them all.
  Ref<NSObject> shared(std::string text) {
    constexpr std::size_t kLongestShared = 24, kMostShared = 4096;
    if (text.size() > kLongestShared) return NSString::stringWithString(std::move(text));
    auto found = strings_.find(text);
    if (found != strings_.end()) return found->second;
    Ref<NSString> string = NSString::stringWithString(text);
    if (strings_.size() < kMostShared) strings_.emplace(std::move(text), string);
    return string;
  }

  std::string_view s_;
  std::size_t at_ = 0;
  int maxNesting_;
  std::unordered_map<std::string, Ref<NSString>> strings_;
  std::vector<std::vector<DictionaryEntries::Entry>> scratch_;
};

// ---- writing ----

// Writes into `out`, or only counts the bytes (no `out`), or compares them with `expected` and
// stops at the first difference.
class PlainWriter {
 public:
  PlainWriter(int maxNesting, unsigned char* out) : maxNesting_(maxNesting), out_(out) {}
  PlainWriter(int maxNesting, std::string_view expected)
      : maxNesting_(maxNesting), out_(nullptr), expected_(expected), comparing_(true) {}

  bool document(const NSObject* root) {
    put("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
        "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
        "<plist version=\"1.0\">\n");
    if (!value(root, 0)) return false;
    put("</plist>\n");
    return true;
  }
  std::size_t size() const { return size_; }

 private:
  void put(std::string_view text) {
    if (out_) std::memcpy(out_ + size_, text.data(), text.size());
    if (comparing_ && !differs_) differs_ = expected_.compare(size_, text.size(), text) != 0;
    size_ += text.size();
  }
  void indent(int depth) {
    for (int i = 0; i < depth; ++i) put("\t");
  }
  bool text(std::string_view tag, const std::string& content, int depth) {
    // The counting pass has checked the text already.
    if (!out_ && !PropertyListTextProblem(content, NSPropertyListXMLFormat_v1_0).empty()) return false;
    indent(depth);
    put("<"), put(tag), put(">");
    std::size_t from = 0;
    for (std::size_t i = 0; i < content.size(); ++i) {
      const char* entity = content[i] == '&'    ? "&amp;"
                           : content[i] == '<'  ? "&lt;"
                           : content[i] == '>'  ? "&gt;"
                           : content[i] == '\r' ? "&#13;"
                                                : nullptr;
      if (!entity) continue;
      put(std::string_view(content).substr(from, i - from));
      put(entity);
      from = i + 1;
    }
    put(std::string_view(content).substr(from));
    put("</"), put(tag), put(">\n");
    return true;
  }

  bool value(const NSObject* object, int depth) {
    if (differs_) return false;
    if (const auto* dict = dynamic_cast<const NSDictionary*>(object)) {
      if (depth >= maxNesting_) return false;
      indent(depth);
      if (dict->count() == 0) return put("<dict/>\n"), true;
      put("<dict>\n");
      for (const auto& [key, entry] : dict->entries())
        if (!text("key", key, depth + 1) || !value(entry.get(), depth + 1)) return false;
      indent(depth);
      put("</dict>\n");
      return true;
    }
    if (const auto* array = dynamic_cast<const NSArray*>(object)) {
      if (depth >= maxNesting_) return false;
      indent(depth);
      if (array->count() == 0) return put("<array/>\n"), true;
      put("<array>\n");
      for (const Ref<NSObject>& item : array->objects())
        if (!value(item.get(), depth + 1)) return false;
      indent(depth);
      put("</array>\n");
      return true;
    }
    if (const auto* string = dynamic_cast<const NSString*>(object)) return text("string", string->string(), depth);
    if (const auto* number = dynamic_cast<const NSNumber*>(object)) {
      if (number->kind() == NSNumber::Kind::Real) return false;
      indent(depth);
      if (number->kind() == NSNumber::Kind::Boolean) return put(number->boolValue() ? "<true/>\n" : "<false/>\n"), true;
      char digits[32];
      std::snprintf(digits, sizeof digits, "%lld", number->longLongValue());
      put("<integer>"), put(digits), put("</integer>\n");
      return true;
    }
    return false;
  }

  int maxNesting_;
  unsigned char* out_;
  std::string_view expected_;
  bool comparing_ = false, differs_ = false;
  std::size_t size_ = 0;

 public:
  bool matches() const { return !differs_ && size_ == expected_.size(); }
};

}  // namespace

Ref<NSObject> readPlainXMLPropertyList(std::string_view text, int maxNesting) {
  return PlainReader(text, maxNesting).document();
}

bool writePlainXMLPropertyList(const NSObject* plist, int maxNesting, std::vector<unsigned char>& out) {
  PlainWriter counter(maxNesting, nullptr);
  if (!counter.document(plist)) return false;
  std::vector<unsigned char> bytes;
  resizeInLargePages(bytes, counter.size());
  PlainWriter(maxNesting, bytes.data()).document(plist);
  out = std::move(bytes);
  return true;
}

bool isPlainXMLPropertyListOf(const NSObject* plist, int maxNesting, std::string_view text) {
  PlainWriter comparison(maxNesting, text);
  return comparison.document(plist) && comparison.matches();
}
