// A list of texts kept in one growing character pool.
#pragma once

#include <cstddef>
#include <vector>

class StrList {
  public:
    enum SplitFlags { kFold = 4, kFoldAlt = 8, kAppend = 16, kKeepDelimiter = 32 };
    enum AddFlags { kReplace = 4, kReserveTen = 8 };
    enum RemoveFlags { kTakeOut = 2 };
    enum SortFlags { kShuffle = 2, kDescending = 4, kSortFolded = 16 };

    StrList();
    // Creates the list and splits text at once.
    StrList(const char* text, const char* delimiters, int flags = 0, char separator = 0);

    // Replaces the contents with the pieces of text (kAppend: adds them).
    // delimiters holds alternatives separated by separator (0 = ";", unless the
    // list begins with ";", which then is a single delimiter); the first
    // alternative that matches at a position wins. kFold/kFoldAlt match without
    // letter case, kKeepDelimiter leaves each delimiter on its piece. An empty
    // text gives no pieces. Returns the item count.
    int Split(const char* text, const char* delimiters, int flags = 0, char separator = 0);

    // length 0 = strlen(text); a longer length pads with zero bytes, and
    // kReserveTen reserves at least 10 bytes. index < 0 or past the end
    // appends; with kReplace the item at index is replaced (its new text goes
    // to the end of the pool), otherwise the text is inserted there.
    void Add(const char* text, size_t length = 0, int index = -1, int flags = 0);

    // A negative index counts from the end; out of range gives "".
    const char* GetAt(int index) const;
    int Count() const { return static_cast<int>(offsets_.size()); }

    // First index >= start whose item equals text, or -1.
    int Find(int start, const char* text) const;
    // On a list in byte order: index of text (also stored in position), or -1
    // with position set to the insertion index.
    int SortedFind(const char* text, int* position) const;
    // 0, or -1 for an index out of range. kTakeOut also removes the slot.
    int Remove(int index, int flags = 0);
    // Byte order (kSortFolded: on folded copies), kDescending reverses it,
    // kShuffle gives a random order instead. Dispatches events while it works.
    void Sort(int flags = 0);
    void Clear();

  private:
    void Shuffle();
    void SortItems(bool folded);

    std::vector<char> pool_;
    std::vector<size_t> offsets_;
};
