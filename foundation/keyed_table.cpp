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
    int position = 0;
    int index = folded_.SortedFind(MbsLower(std::string(key)).c_str(), &position);
    return index < 0 ? "" : values_.GetAt(index);
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
    std::string folded = MbsLower(std::string(key));
    int position = 0;
    int index = folded_.SortedFind(folded.c_str(), &position);
    if (index >= 0) {
        if (std::string(values_.GetAt(index)) != value) {
            values_.Add(value, 0, index, StrList::kReplace | StrList::kReserveTen);
        }
        return;
    }
    folded_.Add(folded.c_str(), 0, position);
    written_.Add(key, 0, position);
    values_.Add(value, 0, position, StrList::kReserveTen);
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
    for (int i = 0; i < other.Count(); ++i) Set(other.WrittenKeyAt(i), other.ValueAt(i));
}

void KeyedTable::Clear() {
    folded_.Clear();
    written_.Clear();
    values_.Clear();
}
