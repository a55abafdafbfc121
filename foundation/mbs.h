// CP932 text operations. Every scan moves by whole characters, so a search or
// delimiter never matches at the trail byte of a double-byte character.
#pragma once

#include <cstddef>
#include <string>

// Lead byte of a CP932 double-byte character: 0x81-0x9F and 0xE0-0xFC.
bool IsLeadByte(unsigned char c);

// Folds ASCII A-Z and the full-width capitals (82 60-82 79) to small letters;
// other double-byte characters are copied unchanged.
void MbsLower(char* text, size_t length = 0);  // in place; 0 = whole text
std::string MbsLower(const std::string& text);

// First occurrence at a character boundary, or nullptr.
const char* MbsFind(const char* text, const char* search);
// Offset of the last non-overlapping occurrence at a character boundary, or -1.
int MbsFindLast(const char* text, const char* search);
// Cuts the text at the last occurrence of search.
void MbsCutLast(std::string& text, const char* search);
// Cuts the last occurrence only when it ends the text (removes a suffix).
void MbsCutSuffix(std::string& text, const char* search);

// First position of pattern in a byte buffer (zero bytes allowed), or nullptr.
const char* FindBytes(const char* buffer, const char* pattern, size_t bufferLength,
                      size_t patternLength);

enum PatternFlags { kPatternWildcards = 2, kPatternFoldText = 4, kPatternFoldPattern = 8 };
// Offset of the first match or -1; matchLength (optional) gets the matched length.
// With kPatternWildcards: leading "^" anchors at the start, trailing "$" at the end,
// "*" matches any run of characters.
int PatternFind(const char* text, const char* pattern, int flags, int* matchLength = nullptr);
