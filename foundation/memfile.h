// An in-memory text file: loaded from disk, a buffer of its own, or a view of
// the caller's text. Every function accepts nullptr and then does nothing.
#pragma once

#include <cstddef>
#include <ctime>
#include <string>

struct MemFile;

// mode "fr": load the file named by nameOrSize (nullptr if unreadable);
// "mw": owned empty buffer of at least 10000 bytes (nameOrSize is the size in
// decimal); "mr": view of the zero-terminated text nameOrSize; "dd": duplicate
// of source sharing its buffer.
MemFile* MemOpen(const char* nameOrSize, const char* mode, MemFile* source = nullptr);
void MemClose(MemFile* file);
void MemRewind(MemFile* file);

// Reads one line into buffer (or the handle's own line buffer when buffer is
// nullptr, see MemLine). Returns the line's length + 2 when it ended with a line
// end, + 1 otherwise, 0 at the end of the text or at a zero byte. The line end
// (CR LF, CR or LF) becomes "\n" unless strip is set. A caller's buffer needs
// at least 4 bytes; a longer line comes back in parts, never splitting a
// double-byte character. Dispatches one pending event first.
int MemReadLine(char* buffer, size_t size, MemFile* file, int strip);
// The line read last into the handle's own line buffer.
const char* MemLine(MemFile* file);

// lineEnds 0: LF becomes CR LF; 1: CR LF and CR become LF.
void MemPuts(MemFile* file, const char* text, int lineEnds);
void MemWrite(MemFile* file, const void* bytes, size_t length);
// Writes the text's bytes as they are (CR LF stays CR LF) and gives the file
// the handle's access and last-write times. 0, or -1 if the file cannot be
// written. Skipped (0) when the file's last-write time equals the handle's,
// unless forced.
int MemSave(MemFile* file, const char* path, int force);
// Turns UTF-16LE content (recognised by a zero byte in the text) into CP932;
// a leading byte-order mark is dropped. A view gets a buffer of its own.
void MemToAnsi(MemFile* file);

// Access to the text and its bookkeeping.
const char* MemData(const MemFile* file);
size_t MemLength(const MemFile* file);
// Bytes allocated for the text (the viewed text's own size for "mr").
size_t MemCapacity(const MemFile* file);
size_t MemPosition(const MemFile* file);
void MemSetPosition(MemFile* file, size_t position);
void MemSetLength(MemFile* file, size_t length);
const char* MemName(const MemFile* file);
const char* MemMode(const MemFile* file);
// Last-write time stamp (UTC seconds).
time_t MemWriteTime(const MemFile* file);
void MemSetWriteTime(MemFile* file, time_t utc);
