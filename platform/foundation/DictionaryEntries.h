// The entries of a dictionary: one sorted array of (key, object) pairs rather than a tree of
// nodes, so a store of a hundred thousand small dictionaries costs little more than its text.
// Keys are ordered by their bytes, and that is the enumeration order. Looking a key up is a
// binary search; adding or removing one moves the entries after it.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "objc/NSObject.h"

class DictionaryEntries {
 public:
  using Entry = std::pair<std::string, Ref<NSObject>>;
  using const_iterator = std::vector<Entry>::const_iterator;

  DictionaryEntries() = default;
  // Takes entries in any order; of several entries with one key the last one given is kept, as
  // storing them one after the other would leave it.
  static DictionaryEntries fromUnordered(std::vector<Entry> entries) {
    DictionaryEntries out;
    const auto byKey = [](const Entry& a, const Entry& b) { return a.first < b.first; };
    if (!std::is_sorted(entries.begin(), entries.end(), byKey))
      std::stable_sort(entries.begin(), entries.end(), byKey);
    // Keep the last of each run of equal keys.
    std::size_t kept = 0;
    for (std::size_t i = 0; i < entries.size(); ++i) {
      if (i + 1 < entries.size() && entries[i + 1].first == entries[i].first) continue;
      if (kept != i) entries[kept] = std::move(entries[i]);
      ++kept;
    }
    entries.resize(kept);
    entries.shrink_to_fit();
    out.entries_ = std::move(entries);
    return out;
  }

  std::size_t size() const { return entries_.size(); }
  bool empty() const { return entries_.empty(); }
  const_iterator begin() const { return entries_.begin(); }
  const_iterator end() const { return entries_.end(); }
  // The entry at a place in the enumeration order.
  const Entry& operator[](std::size_t index) const { return entries_[index]; }

  const_iterator find(const std::string& key) const {
    auto it = lowerBound(key);
    return it != entries_.end() && it->first == key ? const_iterator(it) : end();
  }
  void insert_or_assign(const std::string& key, Ref<NSObject> object) {
    auto it = lowerBound(key);
    if (it != entries_.end() && it->first == key) it->second = std::move(object);
    else entries_.emplace(it, key, std::move(object));
  }
  void erase(const std::string& key) {
    auto it = lowerBound(key);
    if (it != entries_.end() && it->first == key) entries_.erase(it);
  }
  void clear() { entries_.clear(); }

 private:
  std::vector<Entry>::iterator lowerBound(const std::string& key) {
    return std::lower_bound(entries_.begin(), entries_.end(), key,
                            [](const Entry& e, const std::string& k) { return e.first < k; });
  }
  std::vector<Entry>::const_iterator lowerBound(const std::string& key) const {
    return const_cast<DictionaryEntries*>(this)->lowerBound(key);
  }

  std::vector<Entry> entries_;
};
