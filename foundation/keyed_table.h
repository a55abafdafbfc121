// A sorted table of (folded key, key as first given, value), looked up without
// regard to the case of ASCII and full-width Latin letters.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <vector>

// At most limit bytes of text, cut before a double-byte character that would
// not fit whole.
std::string CutAtCharBoundary(const std::string& text, size_t limit);

class KeyedTable {
  public:
    // "" for a missing or empty key. The text stays valid until the next change.
    const char* Get(const char* key) const;
    const char* Get(const std::string& key) const { return Get(key.c_str()); }
    // Get read the way atol reads a number; 0 when missing.
    int GetInt(const char* key) const;
    int GetInt(const std::string& key) const { return GetInt(key.c_str()); }
    // An empty key does nothing; an existing entry keeps its first written key.
    void Set(const char* key, const char* value);
    void Set(const std::string& key, const std::string& value) { Set(key.c_str(), value.c_str()); }
    void SetInt(const char* key, int value);
    void SetInt(const std::string& key, int value) { SetInt(key.c_str(), value); }
    // Entries "//_enum_/<number>".
    const char* GetEnum(int number) const;
    void SetEnum(int number, const char* value);
    void SetEnum(int number, const std::string& value) { SetEnum(number, value.c_str()); }
    void Merge(const KeyedTable& other);
    void Clear();

    // The entries in ascending byte order of their folded keys.
    int Count() const { return static_cast<int>(entries_.size()); }
    const char* FoldedKeyAt(int index) const;
    const char* WrittenKeyAt(int index) const;
    const char* ValueAt(int index) const;

  private:
    struct Entry {
        std::string written;
        std::string value;
    };
    using Entries = std::map<std::string, Entry>;

    // The entry at index, or nullptr out of range.
    const Entries::value_type* At(int index) const;

    // A tree, so that inserting costs the same wherever the key sorts: a table
    // filled from the network in sorted order must not take quadratic time.
    Entries entries_;
    // The entries in order, for the index accessors; built on first use after
    // an insertion or removal.
    mutable std::vector<const Entries::value_type*> order_;
    mutable bool orderValid_ = false;
};
