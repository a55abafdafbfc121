#include "foundation/settings.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "foundation/environment.h"
#include "foundation/mbs.h"
#include "foundation/memfile.h"
#include "foundation/sysinfo.h"
#include "platform/charset.h"
#include "platform/clock.h"
#include "platform/files.h"

KeyedTable glb_Settings;

namespace {

// Lengths the settings are built for; longer texts are cut.
constexpr size_t kMaxSection = 1000;
constexpr size_t kMaxKey = 2000;
constexpr size_t kMaxText = 3000;  // a whole path, and a value

// A save within this time of the last load is skipped, so that a run that
// ends at once leaves the file alone.
constexpr uint32_t kSaveDelayMs = 3000;

const char kIniPrefix[] = "//ini/";
constexpr size_t kIniPrefixLength = sizeof kIniPrefix - 1;

bool g_loaded = false;
uint32_t g_loadTick = 0;

std::string SettingPath(const std::string& section, const std::string& key) {
    return CutAtCharBoundary(std::string(kIniPrefix) + CutAtCharBoundary(section, kMaxSection) +
                                 "/" + CutAtCharBoundary(key, kMaxKey),
                             kMaxText);
}

// Removes one character from the end of key if it is c.
void DropTrailing(std::string& key, char c) {
    if (!key.empty() && key.back() == c) key.pop_back();
}

// "key = value": up to two blanks and then up to two tabs come off the end of
// the key; blanks and tabs before the value are skipped.
void ReadEntry(const std::string& line, size_t equals, std::string* key, std::string* value) {
    *key = line.substr(0, equals);
    DropTrailing(*key, ' ');
    DropTrailing(*key, ' ');
    DropTrailing(*key, '\t');
    DropTrailing(*key, '\t');
    size_t start = line.find_first_not_of(" \t", equals + 1);
    *value = start == std::string::npos ? std::string() : line.substr(start);
}

void ReadLine(const std::string& line, std::string& section, KeyedTable& table, int flags) {
    if (line.empty() || line[0] == '#' || line[0] == ';') return;
    if (line[0] == '[') {
        const char* close = MbsFind(line.c_str(), "]");
        if (close) section = line.substr(1, close - line.c_str() - 1);
        return;
    }
    const char* equals = MbsFind(line.c_str(), "=");
    if (!equals) return;
    std::string key, value;
    ReadEntry(line, equals - line.c_str(), &key, &value);
    if (!(flags & kIniRaw)) value = ExpandMacros(value, SharedEnvironment());
    table.Set(SettingPath(section, key), CutAtCharBoundary(value, kMaxText));
}

bool StartsWith(const std::string& text, const char* prefix) {
    return text.compare(0, std::strlen(prefix), prefix) == 0;
}

// The text of a file that starts with the UTF-8 byte-order mark, in CP932;
// false for any other file.
bool ConvertUtf8File(MemFile* file, std::string* text) {
    std::string bytes(MemData(file), MemLength(file));
    if (!StartsWith(bytes, "\xEF\xBB\xBF")) return false;
    *text = platform::Utf8ToCp932(bytes.substr(3));
    return true;
}

void ReadLines(MemFile* file, KeyedTable& table, int flags) {
    std::string section;
    while (MemReadLine(nullptr, 0, file, 1) > 0) ReadLine(MemLine(file), section, table, flags);
}

struct IniEntry {
    std::string foldedSection, section, key;
};

// Splits "//ini/<section>/<key>" of an entry into its parts.
IniEntry SplitEntry(const KeyedTable& table, int index) {
    std::string folded = table.FoldedKeyAt(index);
    std::string written = table.WrittenKeyAt(index);
    size_t slash = folded.find('/', kIniPrefixLength);
    IniEntry entry;
    if (slash == std::string::npos) slash = folded.size();
    entry.foldedSection = folded.substr(kIniPrefixLength, slash - kIniPrefixLength);
    entry.section = written.substr(kIniPrefixLength, slash - kIniPrefixLength);
    entry.key = slash < written.size() ? written.substr(slash + 1) : std::string();
    return entry;
}

bool IsIniEntry(const KeyedTable& table, int index) {
    return StartsWith(table.FoldedKeyAt(index), kIniPrefix);
}

// Writes the entries of the empty section first and without a header (a file
// read back gives them to the empty section only before the first header),
// then every other section under its header, all in the table's order.
bool WriteEntries(std::FILE* out, const KeyedTable& table, int flags) {
    std::string lastSection;
    bool ok = true;
    for (int pass = 0; pass < 2; ++pass) {
        for (int i = 0; i < table.Count(); ++i) {
            if (!IsIniEntry(table, i)) continue;
            IniEntry entry = SplitEntry(table, i);
            if (entry.foldedSection.empty() != (pass == 0)) continue;
            if (entry.foldedSection != lastSection) {
                ok &= std::fprintf(out, "[%s]\r\n", entry.section.c_str()) >= 0;
                lastSection = entry.foldedSection;
            }
            std::string value = table.ValueAt(i);
            if (!(flags & kIniRaw)) value = CollapseMacros(value, SharedEnvironment());
            ok &= std::fprintf(out, "%s=%s\r\n", entry.key.c_str(), value.c_str()) >= 0;
        }
    }
    return ok;
}

// A settings file that the user has made read-only is left as it is.
bool MayReplace(const char* file, const std::string& path) {
    if (!platform::PathExists(file)) return true;
    std::FILE* existing = std::fopen(path.c_str(), "r+b");
    if (!existing) return false;
    std::fclose(existing);
    return true;
}

}  // namespace

void SetDefault(const char* key, const char* value, KeyedTable& table) {
    std::string expanded = ExpandMacros(value ? value : "", SharedEnvironment());
    table.Set(key, CutAtCharBoundary(expanded, kMaxText).c_str());
}

int LoadIni(const char* file, KeyedTable& table, int flags) {
    g_loaded = true;
    g_loadTick = platform::TickCount();
    MemFile* source = MemOpen(file, "fr");
    if (!source) return 0;
    std::string converted;
    if (std::memchr(MemData(source), '\0', MemLength(source))) {
        MemToAnsi(source);
        ReadLines(source, table, flags);
    } else if (ConvertUtf8File(source, &converted)) {
        MemFile* view = MemOpen(converted.c_str(), "mr");
        ReadLines(view, table, flags);
        MemClose(view);
    } else {
        ReadLines(source, table, flags);
    }
    MemClose(source);
    return 0;
}

// The file is written under a temporary name and then renamed over the old
// one, so a failed write never leaves a half-written settings file.
int SaveIni(const char* file, const KeyedTable& table, int flags) {
    if (!g_loaded || !file || !*file) return 0;
    if (platform::TickCount() - g_loadTick < kSaveDelayMs && !(flags & kIniForce)) return 0;
    std::string folder = SplitPath(file).folder;
    if (!folder.empty()) platform::MakeFolders(folder);
    std::string path = platform::Cp932ToUtf8(file);
    if (!MayReplace(file, path)) return 0;
    std::string temporary = path + ".tmp";
    std::FILE* out = std::fopen(temporary.c_str(), "wb");
    if (!out) return 0;
    bool ok = WriteEntries(out, table, flags);
    ok &= std::fclose(out) == 0;
    if (!ok || std::rename(temporary.c_str(), path.c_str()) != 0) std::remove(temporary.c_str());
    return 0;
}

void ResetSettingsForTests() {
    glb_Settings.Clear();
    g_loaded = false;
    g_loadTick = 0;
}
