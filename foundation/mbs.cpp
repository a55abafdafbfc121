#include "foundation/mbs.h"

#include <cstring>
#include <vector>

namespace {

// Bytes taken by the character at text (1, or 2 for a complete double-byte
// character; a lead byte at the very end counts as one byte).
size_t CharSize(const char* text) {
    return IsLeadByte(static_cast<unsigned char>(text[0])) && text[1] != '\0' ? 2 : 1;
}

bool StartsWith(const char* text, const char* prefix, size_t prefixLength) {
    return std::strncmp(text, prefix, prefixLength) == 0;
}

// First occurrence of search at a character boundary at or after from, or -1.
int FindFrom(const char* text, size_t from, const char* search) {
    size_t searchLength = std::strlen(search);
    for (size_t i = from;; i += CharSize(text + i)) {
        if (StartsWith(text + i, search, searchLength)) return static_cast<int>(i);
        if (text[i] == '\0') return -1;
    }
}

// True when offset starts a character (or is the end of the text).
bool IsBoundary(const char* text, size_t offset) {
    size_t i = 0;
    while (i < offset && text[i] != '\0') i += CharSize(text + i);
    return i == offset;
}

// Offset at which text ends with suffix at a character boundary, or -1.
int SuffixOffset(const char* text, size_t textLength, const std::string& suffix, size_t from) {
    if (suffix.size() > textLength) return -1;
    size_t offset = textLength - suffix.size();
    if (offset < from || !IsBoundary(text, offset)) return -1;
    return std::memcmp(text + offset, suffix.data(), suffix.size()) == 0 ? static_cast<int>(offset)
                                                                         : -1;
}

// Pieces of a wildcard pattern between its "*" characters.
std::vector<std::string> SplitAtStars(const std::string& body) {
    std::vector<std::string> pieces(1);
    for (size_t i = 0; i < body.size(); i += CharSize(body.c_str() + i)) {
        if (body[i] == '*') {
            pieces.emplace_back();
        } else {
            pieces.back().append(body, i, CharSize(body.c_str() + i));
        }
    }
    return pieces;
}

// Matches "^", "$" and "*" patterns: the first piece at its leftmost place,
// each later piece at the earliest place after the one before, the last one
// at the end of the text when anchored there.
int WildcardFind(const std::string& text, std::string pattern, int* matchLength) {
    bool anchorStart = !pattern.empty() && pattern[0] == '^';
    if (anchorStart) pattern.erase(0, 1);
    bool anchorEnd = !pattern.empty() && pattern.back() == '$';
    if (anchorEnd) pattern.pop_back();
    std::vector<std::string> pieces = SplitAtStars(pattern);
    const char* t = text.c_str();
    size_t n = pieces.size();

    int start;
    if (n == 1 && anchorEnd) {
        start = SuffixOffset(t, text.size(), pieces[0], 0);
        if (anchorStart && start != 0) start = -1;
    } else if (anchorStart) {
        start = StartsWith(t, pieces[0].c_str(), pieces[0].size()) ? 0 : -1;
    } else {
        start = FindFrom(t, 0, pieces[0].c_str());
    }
    if (start < 0) return -1;
    size_t cursor = start + pieces[0].size();
    for (size_t i = 1; i + 1 < n; ++i) {
        int found = FindFrom(t, cursor, pieces[i].c_str());
        if (found < 0) return -1;
        cursor = found + pieces[i].size();
    }
    if (n > 1) {
        const std::string& last = pieces[n - 1];
        int found = anchorEnd ? SuffixOffset(t, text.size(), last, cursor)
                              : FindFrom(t, cursor, last.c_str());
        if (found < 0) return -1;
        cursor = last.empty() ? text.size() : found + last.size();
    }
    if (matchLength) *matchLength = static_cast<int>(cursor - start);
    return start;
}

}  // namespace

bool IsLeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

void MbsLower(char* text, size_t length) {
    if (!text) return;
    if (length == 0) length = std::strlen(text);
    for (size_t i = 0; i < length; ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (IsLeadByte(c)) {
            if (i + 1 >= length) return;
            unsigned char trail = static_cast<unsigned char>(text[i + 1]);
            if (c == 0x82 && trail >= 0x60 && trail <= 0x79) text[i + 1] = trail + 0x21;
            ++i;
        } else if (c >= 'A' && c <= 'Z') {
            text[i] = c + ('a' - 'A');
        }
    }
}

std::string MbsLower(const std::string& text) {
    std::string folded = text;
    if (!folded.empty()) MbsLower(&folded[0], folded.size());
    return folded;
}

const char* MbsFind(const char* text, const char* search) {
    if (!text || !search) return nullptr;
    int offset = FindFrom(text, 0, search);
    return offset < 0 ? nullptr : text + offset;
}

int MbsFindLast(const char* text, const char* search) {
    if (!text || !search || *search == '\0') return -1;
    size_t searchLength = std::strlen(search);
    int last = -1;
    for (int found = FindFrom(text, 0, search); found >= 0;
         found = FindFrom(text, found + searchLength, search)) {
        last = found;
    }
    return last;
}

void MbsCutLast(std::string& text, const char* search) {
    int offset = MbsFindLast(text.c_str(), search);
    if (offset >= 0) text.resize(offset);
}

void MbsCutSuffix(std::string& text, const char* search) {
    if (!search || *search == '\0') return;
    int offset = SuffixOffset(text.c_str(), std::strlen(text.c_str()), search, 0);
    if (offset >= 0) text.resize(offset);
}

const char* FindBytes(const char* buffer, const char* pattern, size_t bufferLength,
                      size_t patternLength) {
    if (!buffer || !pattern) return nullptr;
    return static_cast<const char*>(memmem(buffer, bufferLength, pattern, patternLength));
}

int PatternFind(const char* text, const char* pattern, int flags, int* matchLength) {
    if (!text || !pattern) return -1;
    std::string t = (flags & kPatternFoldText) ? MbsLower(std::string(text)) : std::string(text);
    std::string p =
        (flags & kPatternFoldPattern) ? MbsLower(std::string(pattern)) : std::string(pattern);
    if (flags & kPatternWildcards) return WildcardFind(t, p, matchLength);
    int offset = FindFrom(t.c_str(), 0, p.c_str());
    if (offset >= 0 && matchLength) *matchLength = static_cast<int>(p.size());
    return offset;
}
