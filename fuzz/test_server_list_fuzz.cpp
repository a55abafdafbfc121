// The test-server list as the file holds it after a download: plain text
// when it starts with "#", else scrambled. It is unscrambled and split into
// records at its line ends as the loader does, then read the way the
// port-open test reads it: the next TCP and UDP servers and the closing
// message. Scrambling must give back any text unchanged, and what is read
// must stay within the lengths the program shows.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "foundation/strlist.h"
#include "porttest/list_scramble.h"
#include "porttest/test_server_list.h"

namespace {

constexpr size_t kMaxUrl = 999;
constexpr size_t kMaxMessage = 1999;
constexpr size_t kMaxListMessage = 2999;
// More turns than records would only repeat the same reading.
constexpr int kTurns = 3;

void Choose(const char* protocol) {
    std::string url, message, expected;
    for (int turn = 0; turn < kTurns; ++turn) {
        int result = ChooseTestServer(protocol, "65535", &url, &message, &expected);
        if (url.size() > kMaxUrl || message.size() > kMaxMessage) std::abort();
        if (result != 0 && !(url.empty() && message.empty() && expected.empty())) std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string input(reinterpret_cast<const char*>(data), size);
    std::string back;
    if (!UnscrambleList(ScrambleList(input), &back) || back != input) std::abort();

    std::string text;
    if (!input.empty() && input[0] == '#') {
        text = input;
    } else if (!UnscrambleList(input, &text)) {
        text.clear();
    }
    StrList lines(text.c_str(), "\r\n;\n");
    std::vector<std::string> records;
    for (int i = 0; i < lines.Count(); ++i) records.push_back(lines.GetAt(i));
    SetTestServerRecordsForTests(records);
    Choose("TCP");
    Choose("UDP");
    if (FindListMessage("MES").size() > kMaxListMessage) std::abort();
    FindListMessage("");
    return 0;
}
