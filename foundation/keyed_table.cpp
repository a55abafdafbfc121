#include "foundation/keyed_table.h"

#include <climits>
#include <cstdio>
#include <cstdlib>

#include "foundation/mbs.h"

namespace {

std::string EnumKey(int number) {
    char key[32];
    std::snprintf(key, sizeof key, "//_enum_/%d", number);
    return key;
}

}  // namespace

std::string CutAtCharBoundary(const std::string& text, size_t limit) {
    size_t end = 0;
    while (end < text.size()) {
        size_t size =
            IsLeadByte(static_cast<unsigned char>(text[end])) && end + 1 < text.size() ? 2 : 1;
        if (end + size > limit) break;
        end += size;
    }
    return text.substr(0, end);
}

const char* KeyedTable::Get(const char* key) const {
    if (!key || !*key) return "";
    auto found = entries_.find(MbsLower(std::string(key)));
    return found == entries_.end() ? "" : found->second.value.c_str();
}

// Read like atol: leading blanks, an optional sign, digits up to the first
// other character. Values beyond the range of int stop at its ends.
int KeyedTable::GetInt(const char* key) const {
    long value = std::strtol(Get(key), nullptr, 10);
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

void KeyedTable::Set(const char* key, const char* value) {
    if (!key || !*key) return;
    if (!value) value = "";
    auto placed = entries_.try_emplace(MbsLower(std::string(key)), Entry{key, value});
    if (placed.second) {
        orderValid_ = false;
    } else if (placed.first->second.value != value) {
        placed.first->second.value = value;
    }
}

void KeyedTable::SetInt(const char* key, int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    Set(key, text);
}

const char* KeyedTable::GetEnum(int number) const {
    return Get(EnumKey(number));
}

void KeyedTable::SetEnum(int number, const char* value) {
    Set(EnumKey(number).c_str(), value);
}

void KeyedTable::Merge(const KeyedTable& other) {
    if (&other == this) return;
    for (const auto& entry : other.entries_) {
        Set(entry.second.written.c_str(), entry.second.value.c_str());
    }
}

void KeyedTable::Clear() {
    entries_.clear();
    order_.clear();
    orderValid_ = false;
}

const KeyedTable::Entries::value_type* KeyedTable::At(int index) const {
    if (!orderValid_) {
        order_.clear();
        order_.reserve(entries_.size());
        for (const auto& entry : entries_) order_.push_back(&entry);
        orderValid_ = true;
    }
    if (index < 0 || index >= Count()) return nullptr;
    return order_[index];
}

const char* KeyedTable::FoldedKeyAt(int index) const {
    const Entries::value_type* entry = At(index);
    return entry ? entry->first.c_str() : "";
}

const char* KeyedTable::WrittenKeyAt(int index) const {
    const Entries::value_type* entry = At(index);
    return entry ? entry->second.written.c_str() : "";
}

const char* KeyedTable::ValueAt(int index) const {
    const Entries::value_type* entry = At(index);
    return entry ? entry->second.value.c_str() : "";
}
