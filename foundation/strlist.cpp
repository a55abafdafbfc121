#include "foundation/strlist.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "foundation/mbs.h"
#include "foundation/pump.h"

namespace {

const char kEmptyItem[] = "";

constexpr size_t kInitialPool = 5000 + 2;
constexpr size_t kInitialOffsets = 200;
constexpr int kComparisonsPerPump = 10000;
constexpr int kEventsPerPump = 10;

size_t CharSize(const char* text) {
    return IsLeadByte(static_cast<unsigned char>(text[0])) && text[1] != '\0' ? 2 : 1;
}

// The alternatives of a delimiter list, see StrList::Split.
std::vector<std::string> ParseDelimiters(const char* list, char separator) {
    if (separator == 0) {
        if (list[0] == ';') return {list};
        separator = ';';
    }
    std::vector<std::string> alternatives(1);
    for (const char* p = list; *p != '\0'; p += CharSize(p)) {
        if (*p == separator) {
            alternatives.emplace_back();
        } else {
            alternatives.back().append(p, CharSize(p));
        }
    }
    // An empty alternative would match everywhere and split nothing sensible.
    alternatives.erase(std::remove(alternatives.begin(), alternatives.end(), std::string()),
                       alternatives.end());
    return alternatives;
}

// Length of the first alternative that matches at text, or 0.
size_t MatchDelimiter(const char* text, const std::vector<std::string>& alternatives) {
    for (const std::string& alt : alternatives) {
        if (std::strncmp(text, alt.c_str(), alt.size()) == 0) return alt.size();
    }
    return 0;
}

}  // namespace

StrList::StrList() {
    pool_.reserve(kInitialPool);
    offsets_.reserve(kInitialOffsets);
}

StrList::StrList(const char* text, const char* delimiters, int flags, char separator) : StrList() {
    Split(text, delimiters, flags, separator);
}

int StrList::Split(const char* source, const char* delimiters, int flags, char separator) {
    bool empty = !source || !delimiters || *source == '\0' || *delimiters == '\0';
    // Copies first: the text or the delimiters may be items of this list.
    std::string copy = empty ? std::string() : source;
    std::vector<std::string> alternatives =
        empty ? std::vector<std::string>() : ParseDelimiters(delimiters, separator);
    if (!(flags & kAppend)) Clear();
    if (empty) return Count();

    const char* text = copy.c_str();
    bool fold = flags & (kFold | kFoldAlt);
    std::string folded = fold ? MbsLower(copy) : std::string();
    if (fold) {
        for (std::string& alt : alternatives) alt = MbsLower(alt);
    }
    const char* match = fold ? folded.c_str() : text;

    size_t pieceStart = pool_.size();
    auto closePiece = [&] {
        pool_.push_back('\0');
        offsets_.push_back(pieceStart);
        pieceStart = pool_.size();
    };
    size_t i = 0;
    while (text[i] != '\0') {
        size_t delimiter = MatchDelimiter(match + i, alternatives);
        if (delimiter > 0) {
            if (flags & kKeepDelimiter) pool_.insert(pool_.end(), text + i, text + i + delimiter);
            closePiece();
            i += delimiter;
        } else {
            size_t size = CharSize(text + i);
            pool_.insert(pool_.end(), text + i, text + i + size);
            i += size;
        }
    }
    closePiece();
    return Count();
}

void StrList::Add(const char* text, size_t length, int index, int flags) {
    if (!text) text = kEmptyItem;
    if (length == 0) length = std::strlen(text);
    // The text may live in this list's own pool, which can move as it grows.
    std::string copy(text, strnlen(text, length));
    if ((flags & kReserveTen) && length < 10) length = 10;
    copy.resize(length, '\0');

    size_t offset = pool_.size();
    pool_.insert(pool_.end(), copy.begin(), copy.end());
    pool_.push_back('\0');

    if (index < 0 || index >= Count()) {
        offsets_.push_back(offset);
    } else if (flags & kReplace) {
        offsets_[index] = offset;
    } else {
        offsets_.insert(offsets_.begin() + index, offset);
    }
}

const char* StrList::GetAt(int index) const {
    if (index < 0) index += Count();
    if (index < 0 || index >= Count()) return kEmptyItem;
    return pool_.data() + offsets_[index];
}

int StrList::Find(int start, const char* text) const {
    if (!text) return -1;
    for (int i = std::max(start, 0); i < Count(); ++i) {
        if (std::strcmp(GetAt(i), text) == 0) return i;
    }
    return -1;
}

int StrList::SortedFind(const char* text, int* position) const {
    if (!text) text = kEmptyItem;
    auto less = [this](size_t offset, const char* key) {
        return std::strcmp(pool_.data() + offset, key) < 0;
    };
    auto at = std::lower_bound(offsets_.begin(), offsets_.end(), text, less);
    int index = static_cast<int>(at - offsets_.begin());
    if (position) *position = index;
    return (at != offsets_.end() && std::strcmp(GetAt(index), text) == 0) ? index : -1;
}

int StrList::Remove(int index, int flags) {
    if (index < 0 || index >= Count()) return -1;
    pool_[offsets_[index]] = '\0';
    if (flags & kTakeOut) offsets_.erase(offsets_.begin() + index);
    return 0;
}

void StrList::Sort(int flags) {
    if (Count() < 2) return;
    if (flags & kShuffle) {
        Shuffle();
    } else {
        SortItems(flags & kSortFolded);
    }
    if (flags & kDescending) std::reverse(offsets_.begin(), offsets_.end());
}

void StrList::Clear() {
    pool_.clear();
    offsets_.clear();
}

// Fisher-Yates with the C runtime generator: a random order without asking a
// sort to live with a comparison that contradicts itself.
void StrList::Shuffle() {
    for (size_t i = offsets_.size() - 1; i > 0; --i) {
        size_t j = static_cast<size_t>(std::rand()) % (i + 1);
        std::swap(offsets_[i], offsets_[j]);
    }
}

void StrList::SortItems(bool folded) {
    // Copies of the items: a handler that runs while the sort dispatches
    // events cannot pull the texts from under the comparison.
    std::vector<std::string> keys;
    keys.reserve(offsets_.size());
    for (size_t offset : offsets_) {
        std::string item(pool_.data() + offset);
        keys.push_back(folded ? MbsLower(item) : item);
    }
    std::vector<size_t> order(offsets_.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    int comparisons = 0;
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        if (++comparisons % kComparisonsPerPump == 0) PumpMessages(kEventsPerPump);
        return std::strcmp(keys[a].c_str(), keys[b].c_str()) < 0;
    });
    std::vector<size_t> sorted;
    sorted.reserve(order.size());
    for (size_t i : order) sorted.push_back(offsets_[i]);
    offsets_.swap(sorted);
}
