#include "foundation/memfile.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "foundation/mbs.h"
#include "foundation/pump.h"
#include "platform/charset.h"

namespace {

constexpr size_t kMinimumWriteBuffer = 10000;
constexpr size_t kLoadRoom = 1000;
const char kNoName[] = "NON";

using Buffer = std::shared_ptr<std::vector<char>>;

timespec Now() {
    timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    return now;
}

bool SameTime(const timespec& a, const timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// A zeroed owned buffer of capacity bytes holding a copy of text.
Buffer MakeBuffer(size_t capacity, const char* text, size_t length) {
    Buffer buffer = std::make_shared<std::vector<char>>(capacity, '\0');
    if (length > 0) std::memcpy(buffer->data(), text, length);
    return buffer;
}

}  // namespace

struct MemFile {
    Buffer owned;                // "fr" and "mw"; shared with "dd" copies
    const char* view = nullptr;  // the caller's text for "mr"
    size_t viewCapacity = 0;     // length + 1 of the viewed text
    size_t position = 0;
    size_t length = 0;
    std::string name = kNoName;
    std::string mode;
    timespec writeTime = Now();
    timespec accessTime = writeTime;
    std::string line;

    // "mr" views are never written through: every write path first gives the
    // handle a buffer of its own.
    char* Data() const { return owned ? owned->data() : const_cast<char*>(view); }
    size_t Capacity() const { return owned ? owned->size() : viewCapacity; }
    bool Writable() const { return mode == "fr" || mode == "mw"; }
};

namespace {

// Reads the whole file named in CP932; nullptr when it cannot be read.
MemFile* LoadFile(const char* name) {
    std::string path = platform::Cp932ToUtf8(name);
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return nullptr;
    struct stat info;
    if (fstat(fileno(f), &info) != 0 || !S_ISREG(info.st_mode)) {
        std::fclose(f);
        return nullptr;
    }
    std::vector<char> content;
    char chunk[65536];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, f)) > 0) {
        content.insert(content.end(), chunk, chunk + got);
    }
    bool failed = std::ferror(f);
    std::fclose(f);
    if (failed) return nullptr;

    auto* file = new MemFile;
    file->owned = MakeBuffer(content.size() + kLoadRoom, content.data(), content.size());
    file->length = content.size();
    file->name = name;
    file->mode = "fr";
    file->writeTime = info.st_mtim;
    file->accessTime = info.st_atim;
    return file;
}

MemFile* NewBuffer(const char* size) {
    size_t capacity = size ? std::strtoul(size, nullptr, 10) : 0;
    auto* file = new MemFile;
    file->owned =
        MakeBuffer(capacity < kMinimumWriteBuffer ? kMinimumWriteBuffer : capacity, nullptr, 0);
    file->mode = "mw";
    return file;
}

MemFile* NewView(const char* text) {
    auto* file = new MemFile;
    file->view = text ? text : "";
    file->length = std::strlen(file->view);
    file->viewCapacity = file->length + 1;
    file->mode = "mr";
    return file;
}

MemFile* Duplicate(const MemFile* source) {
    if (!source) return nullptr;
    auto* file = new MemFile(*source);
    file->mode = "dd";
    file->position = 0;
    file->writeTime = file->accessTime = Now();
    file->line.clear();
    return file;
}

// Makes room to write length bytes (twice, for line ends that may grow) at
// the position; a viewed text first becomes a buffer of the handle's own.
bool PrepareWrite(MemFile* file, size_t length) {
    if (!file) return false;
    if (file->mode == "mr") {
        file->owned = MakeBuffer(file->length + 1 + kMinimumWriteBuffer, file->view, file->length);
        file->view = nullptr;
        file->mode = "mw";
    }
    if (!file->Writable()) return false;
    size_t needed = file->position + 2 * length + 1;
    size_t capacity = file->Capacity();
    if (needed < capacity) return true;
    while (capacity <= needed) capacity *= 3;
    file->owned->resize(capacity, '\0');
    return true;
}

void FinishWrite(MemFile* file, size_t end) {
    file->position = end;
    if (file->position > file->length) file->length = file->position;
    file->Data()[file->length] = '\0';
}

// Copies up to limit bytes of the line at the position into out; stops before
// a line end, a zero byte or a double-byte character that no longer fits.
size_t CopyLine(MemFile* file, std::string& out, size_t limit) {
    const char* data = file->Data();
    size_t start = file->position;
    size_t i = start;
    while (i < file->length && data[i] != '\r' && data[i] != '\n' && data[i] != '\0') {
        bool pair = IsLeadByte(static_cast<unsigned char>(data[i])) && i + 1 < file->length;
        size_t size = pair ? 2 : 1;
        if (i - start + size > limit) break;
        i += size;
    }
    out.assign(data + start, i - start);
    file->position = i;
    return i - start;
}

// Consumes CR LF, CR or LF at the position; true when there was one.
bool ConsumeLineEnd(MemFile* file) {
    const char* data = file->Data();
    size_t& i = file->position;
    if (i >= file->length) return false;
    if (data[i] == '\r') {
        ++i;
        if (i < file->length && data[i] == '\n') ++i;
        return true;
    }
    if (data[i] == '\n') {
        ++i;
        return true;
    }
    return false;
}

// Copies text to out, converting line ends as MemPuts describes; returns the
// bytes written. previous is the byte written just before out.
size_t ConvertLineEnds(const char* text, int lineEnds, char previous, char* out) {
    size_t written = 0;
    for (const char* p = text; *p != '\0'; ++p) {
        if (lineEnds == 0 && *p == '\n' && previous != '\r') {
            out[written++] = '\r';
        }
        if (lineEnds == 1 && *p == '\r') {
            out[written++] = '\n';
            if (p[1] == '\n') ++p;
        } else {
            out[written++] = *p;
        }
        previous = *p;
    }
    return written;
}

}  // namespace

MemFile* MemOpen(const char* nameOrSize, const char* mode, MemFile* source) {
    if (!mode) return nullptr;
    std::string m = mode;
    if (m == "fr") return nameOrSize ? LoadFile(nameOrSize) : nullptr;
    if (m == "mw") return NewBuffer(nameOrSize);
    if (m == "mr") return NewView(nameOrSize);
    if (m == "dd") return Duplicate(source);
    return nullptr;
}

void MemClose(MemFile* file) {
    delete file;
}

void MemRewind(MemFile* file) {
    if (file) file->position = 0;
}

int MemReadLine(char* buffer, size_t size, MemFile* file, int strip) {
    if (!file) return 0;
    PumpMessages(1);
    // A caller's buffer must hold a double-byte character, the line end and
    // the terminating zero, or the read could not move on.
    if (buffer && size < 4) return 0;
    const char* data = file->Data();
    if (file->position >= file->length || data[file->position] == '\0') return 0;

    std::string local;
    std::string& line = buffer ? local : file->line;
    size_t limit = buffer ? size - (strip ? 1 : 2) : file->length;
    size_t count = CopyLine(file, line, limit);
    bool ended = ConsumeLineEnd(file);
    if (ended && !strip) line.push_back('\n');
    if (buffer) std::memcpy(buffer, line.c_str(), line.size() + 1);
    return static_cast<int>(count + (ended ? 2 : 1));
}

const char* MemLine(MemFile* file) {
    return file ? file->line.c_str() : "";
}

void MemPuts(MemFile* file, const char* text, int lineEnds) {
    if (!text) return;
    size_t length = std::strlen(text);
    if (!PrepareWrite(file, length)) return;
    char* data = file->Data();
    char previous = file->position > 0 ? data[file->position - 1] : '\0';
    size_t written = ConvertLineEnds(text, lineEnds, previous, data + file->position);
    FinishWrite(file, file->position + written);
}

void MemWrite(MemFile* file, const void* bytes, size_t length) {
    if (!bytes || !PrepareWrite(file, length)) return;
    std::memcpy(file->Data() + file->position, bytes, length);
    FinishWrite(file, file->position + length);
}

int MemSave(MemFile* file, const char* path, int force) {
    if (!file) return 0;
    if (!path) return -1;
    std::string osPath = platform::Cp932ToUtf8(path);
    struct stat info;
    timespec fileTime = stat(osPath.c_str(), &info) == 0 ? info.st_mtim : Now();
    if (!force && SameTime(fileTime, file->writeTime)) return 0;

    FILE* f = std::fopen(osPath.c_str(), "wb");
    if (!f) return -1;
    bool written = std::fwrite(file->Data(), 1, file->length, f) == file->length;
    if (std::fclose(f) != 0 || !written) return -1;
    // Linux keeps no settable creation time; access and last write are set.
    timespec times[2] = {file->accessTime, file->writeTime};
    utimensat(AT_FDCWD, osPath.c_str(), times, 0);
    return 0;
}

void MemToAnsi(MemFile* file) {
    if (!file) return;
    const char* data = file->Data();
    if (!std::memchr(data, '\0', file->length)) return;
    bool bom = file->length >= 2 && static_cast<unsigned char>(data[0]) == 0xFF &&
               static_cast<unsigned char>(data[1]) == 0xFE;
    size_t start = bom ? 2 : 0;
    size_t units = (file->length - start) / 2;
    std::string text = platform::Utf16LeToCp932(std::string(data + start, units * 2));
    file->owned = MakeBuffer(text.size() + kLoadRoom, text.data(), text.size());
    file->view = nullptr;
    if (file->mode != "fr") file->mode = "mw";
    file->position = 0;
    file->length = text.size();
}

const char* MemData(const MemFile* file) {
    return file ? file->Data() : "";
}

size_t MemLength(const MemFile* file) {
    return file ? file->length : 0;
}

size_t MemCapacity(const MemFile* file) {
    return file ? file->Capacity() : 0;
}

size_t MemPosition(const MemFile* file) {
    return file ? file->position : 0;
}

void MemSetPosition(MemFile* file, size_t position) {
    if (file) file->position = position < file->length ? position : file->length;
}

void MemSetLength(MemFile* file, size_t length) {
    if (!file) return;
    size_t capacity = file->Capacity();
    file->length = length < capacity ? length : capacity - 1;
    if (file->position > file->length) file->position = file->length;
    // Only a buffer the handle may write to gets its new end marked.
    if (file->Writable()) file->Data()[file->length] = '\0';
}

const char* MemName(const MemFile* file) {
    return file ? file->name.c_str() : "";
}

const char* MemMode(const MemFile* file) {
    return file ? file->mode.c_str() : "";
}

time_t MemWriteTime(const MemFile* file) {
    return file ? file->writeTime.tv_sec : 0;
}

void MemSetWriteTime(MemFile* file, time_t utc) {
    if (file) file->writeTime = timespec{utc, 0};
}
