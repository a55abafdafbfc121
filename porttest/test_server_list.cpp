#include "porttest/test_server_list.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "foundation/build_settings.h"
#include "foundation/data_folders.h"
#include "foundation/keyed_table.h"
#include "foundation/memfile.h"
#include "foundation/settings.h"
#include "foundation/strlist.h"
#include "net/http_request.h"
#include "platform/charset.h"
#include "platform/files.h"
#include "porttest/list_scramble.h"

namespace {

constexpr char kListName[] = "CgiServer.dat";
constexpr char kListPathOnSite[] = "/sluice/CgiServer.dat";
constexpr char kLastUpdateKey[] = "//ini/設定/LastUpdate";
constexpr int kDownloadLimitMs = 3000;
constexpr int kUpdateDays = 7;
// A list is a few lines; anything larger is not one.
constexpr size_t kMaxListBytes = 1 << 20;
constexpr size_t kMaxUrl = 999;
constexpr size_t kMaxMessage = 1999;
constexpr size_t kMaxListMessage = 2999;

StrList g_list;
int g_recordCount = 0;
int g_position = 0;
std::string g_downloadUrl = SLUICE_HOME_PAGE;
std::string g_builtInHost = SLUICE_TEST_SERVER_HOST;
long long g_clockForTests = 0;

// Every from in text, left to right, becomes to. The result is built anew
// rather than replaced in place, so that a record of many placeholders costs
// linear time and not one move of the rest of the text per placeholder.
std::string ReplaceAll(const std::string& text, const std::string& from, const std::string& to) {
    std::string result;
    size_t copied = 0;
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, copied)) {
        result.append(text, copied, at - copied);
        result += to;
        copied = at + from.size();
    }
    result.append(text, copied, std::string::npos);
    return result;
}

std::string Field(const char* record, int index) {
    StrList fields(record, "<>");
    return fields.GetAt(index);
}

std::string FolderOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The shipped list: beside the program, or in an installed program's data
// folder.
std::string ProgramFolderList() {
    return DataFile(kListName);
}

// The home page's copy of the list; "" when the program has no home page.
std::string DownloadUrl() {
    std::string home = g_downloadUrl;
    if (home.empty() || home.find(kListName) != std::string::npos) return home;
    while (!home.empty() && home.back() == '/') home.pop_back();
    return home + kListPathOnSite;
}

// Writes content beside the list file and renames it over it, so a failed
// write leaves the old list whole. The file gets content's time stamp, which
// the next weekly download sends as If-Modified-Since.
bool ReplaceListFile(MemFile* content) {
    std::string path = TestServerListPath();
    platform::MakeFolders(FolderOf(path));
    std::string temporary = path + ".new";
    if (MemSave(content, temporary.c_str(), 1) != 0) return false;
    std::string from = platform::Cp932ToUtf8(temporary);
    if (std::rename(from.c_str(), platform::Cp932ToUtf8(path).c_str()) == 0) return true;
    std::remove(from.c_str());
    return false;
}

// The text of the file that holds the list, unscrambled; "" when there is
// none. A plain file is replaced by its scrambled form first.
std::string ReadListText() {
    MemFile* file = MemOpen(TestServerListPath().c_str(), "fr");
    if (!file) file = MemOpen(ProgramFolderList().c_str(), "fr");
    if (!file) return std::string();
    std::string text(MemData(file), MemLength(file));
    bool plain = !text.empty() && text[0] == '#';
    if (plain) {
        std::string scrambled = ScrambleList(text);
        MemSetLength(file, 0);
        MemWrite(file, scrambled.data(), scrambled.size());
        // A folder that cannot be written keeps the plain file; it still loads.
        ReplaceListFile(file);
    }
    MemClose(file);
    std::string unscrambled;
    if (plain) return text;
    return UnscrambleList(text, &unscrambled) ? unscrambled : std::string();
}

void AddBuiltInRecords() {
    if (g_builtInHost.empty()) return;
    std::string url = "http://" + g_builtInHost + "/cgi-bin/port_scan.php?port=$$PORT$$";
    std::string thanks = "<>[SP]PHPが使える無料HPに代えて、" + g_builtInHost +
                         " の sluice-testserver を使います [Thanks]<br><>あなたの";
    g_list.Add(("TCP<>" + url + thanks).c_str());
    g_list.Add(("UDP<>" + url + "&prot=1" + thanks).c_str());
}

time_t Now() {
    return g_clockForTests != 0 ? static_cast<time_t>(g_clockForTests) : std::time(nullptr);
}

std::string FormatLocal(std::tm local) {
    char text[80];
    std::snprintf(text, sizeof text, "%04d/%02d/%02d %02d:%02d:%02d", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    return text;
}

// Year, month, day, hour, minute and second separated by "/", blank or ":".
bool ParseLocal(const std::string& text, std::tm* local) {
    std::vector<long> parts;
    const char* p = text.c_str();
    while (*p != '\0' && parts.size() < 6) {
        char* end;
        long value = std::strtol(p, &end, 10);
        if (end == p) return false;
        parts.push_back(value);
        p = end;
        while (*p == '/' || *p == ' ' || *p == ':') ++p;
    }
    if (parts.size() < 3) return false;
    parts.resize(6, 0);
    *local = std::tm{};
    local->tm_year = static_cast<int>(parts[0]) - 1900;
    local->tm_mon = static_cast<int>(parts[1]) - 1;
    local->tm_mday = static_cast<int>(parts[2]);
    local->tm_hour = static_cast<int>(parts[3]);
    local->tm_min = static_cast<int>(parts[4]);
    local->tm_sec = static_cast<int>(parts[5]);
    local->tm_isdst = -1;
    return true;
}

// The time a week after last, or "" when last is no time.
std::string DueAfter(const std::string& last) {
    std::tm due;
    if (!ParseLocal(last, &due)) return std::string();
    due.tm_mday += kUpdateDays;
    time_t seconds = std::mktime(&due);
    std::tm normal;
    localtime_r(&seconds, &normal);
    return FormatLocal(normal);
}

}  // namespace

// The list is written where the settings are: beside a program in a
// writable build or unpacked folder, else (and always for an installed
// program) in the per-user configuration folder.
std::string TestServerListPath() {
    return WritableFile(kListName);
}

void LoadTestServerList() {
    std::string text = ReadListText();
    // Line ends may be CR LF (as the home page serves it) or a Linux editor's LF.
    g_list.Split(text.c_str(), "\r\n;\n");
    if (g_list.Count() == 0) AddBuiltInRecords();
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    g_list.Sort(StrList::kShuffle);
    g_position = 0;
    g_recordCount = g_list.Count();
}

int UpdateTestServerList() {
    std::tm local;
    time_t now = Now();
    localtime_r(&now, &local);
    std::string nowText = FormatLocal(local);
    std::string last = glb_Settings.Get(kLastUpdateKey);
    if (!last.empty() && nowText < DueAfter(last)) return -1;
    std::string url = DownloadUrl();
    if (url.empty()) return -1;
    glb_Settings.Set(kLastUpdateKey, nowText);

    MemFile* body = MemOpen(TestServerListPath().c_str(), "fr");
    if (!body) body = MemOpen("3000", "mw");
    int status = HttpRequest(url.c_str(), body, kHttpConditional, kDownloadLimitMs);
    bool fresh = (status == 200 || status == 206) && MemLength(body) > 0 &&
                 MemLength(body) <= kMaxListBytes && ReplaceListFile(body);
    MemClose(body);
    if (!fresh) return 0;
    LoadTestServerList();
    return 1;
}

int ChooseTestServer(const std::string& protocol, const std::string& port, std::string* url,
                     std::string* message, std::string* expected) {
    url->clear();
    message->clear();
    expected->clear();
    std::string kind = protocol.substr(0, 3);
    auto matches = [&kind](int i) { return std::string(g_list.GetAt(i)).compare(0, 3, kind) == 0; };
    int found = -1;
    for (int i = g_position; i < g_list.Count() && found < 0; ++i) {
        if (matches(i)) found = i;
    }
    for (int i = 0; i < g_position && i < g_list.Count() && found < 0; ++i) {
        if (matches(i)) found = i;
    }
    if (found < 0) return -1;
    const char* record = g_list.GetAt(found);
    *message = CutAtCharBoundary(ReplaceAll(Field(record, 2), "<br>", "\r\n"), kMaxMessage);
    *expected = Field(record, 3);
    *url = CutAtCharBoundary(ReplaceAll(Field(record, 1), "$$PORT$$", port), kMaxUrl);
    ++g_position;
    return 0;
}

std::string FindListMessage(const std::string& kind) {
    for (int i = 0; i < g_list.Count(); ++i) {
        const char* record = g_list.GetAt(i);
        if (std::string(record).compare(0, kind.size(), kind) != 0) continue;
        return CutAtCharBoundary(ReplaceAll(Field(record, 1), "<br>", "\r\n"), kMaxListMessage);
    }
    return std::string();
}

int TestServerRecordCount() {
    return g_recordCount;
}

void SetTestServerListSourcesForTests(const std::string& downloadUrl,
                                      const std::string& builtInHost) {
    g_downloadUrl = downloadUrl;
    g_builtInHost = builtInHost;
}

void SetTestServerListClockForTests(long long utcSeconds) {
    g_clockForTests = utcSeconds;
}

void SetTestServerRecordsForTests(const std::vector<std::string>& records) {
    g_list.Clear();
    for (const std::string& record : records) g_list.Add(record.c_str());
    g_recordCount = g_list.Count();
    g_position = 0;
}

void ResetTestServerListForTests() {
    g_list.Clear();
    g_recordCount = 0;
    g_position = 0;
    g_downloadUrl = SLUICE_HOME_PAGE;
    g_builtInHost = SLUICE_TEST_SERVER_HOST;
    g_clockForTests = 0;
}
