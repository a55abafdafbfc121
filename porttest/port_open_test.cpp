#include "porttest/port_open_test.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include "foundation/mbs.h"
#include "foundation/memfile.h"
#include "foundation/pump.h"
#include "foundation/settings.h"
#include "foundation/trace.h"
#include "net/http_request.h"
#include "platform/clock.h"
#include "porttest/test_listener.h"
#include "porttest/test_server_list.h"
#include "upnp/igd_session.h"
#include "upnp/port_mapping.h"

const char kPortTestHeader[] =
    "-------------------------------------------------------\r\n■ポート開放テスト■\r\n"
    "-------------------------------------------------------\r\n";
const char kPortTestFailed[] =
    "-------------------------------------------------------\r\n×テストに失敗しました\r\n";
const char kNoTestServerLine[] =
    "→テストサーバーが設定されていないため、外部からの接続を依頼できません。"
    "ビルド設定 SLUICE_TEST_SERVER_HOST にテストサーバーを指定するか、"
    "CgiServer.dat をプログラムと同じフォルダに置いてください\r\n";

namespace {

constexpr char kSetupTestKey[] = "//ini/設定/SetupTest";
constexpr char kMappingPrefix[] = "SluiceTest";
constexpr int kSuggestedPort = 28800;
constexpr int kListenWaitMs = 5000;
constexpr int kLocalLimitMs = 5000;
constexpr int kTcpServerLimitMs = 5000;
constexpr int kUdpServerLimitMs = 2000;
constexpr int kStepMs = 100;
constexpr int kSliceMs = 10;

std::atomic<bool> g_running{false};
std::atomic<bool> g_cancelled{false};

const char kRangeMessage[] = "ポート番号は、半角で1～65535の間で入力してください";
const char kNoPeerExternal[] =
    "→no accept timeout(外部接続に失敗しました)\r\n【可能性１】FWがブロックしている\r\n"
    "【可能性２】ルーターのFWがブロックしている\r\n"
    "【可能性３】IPv6環境または、グローバルIPではない（ポート開放不可）\r\n";
const char kPassed[] =
    "→外部接続 OK\r\n-------------------------------------------------------\r\n"
    "○テストに成功しました\r\n";
const char kServerError[] = "→ cgi server error\r\n【確認！】Sluiceが最新ですか？\r\n";
const char kCancelled[] = "→テストを中断しました\r\n";

std::string Format(const char* pattern, const std::string& a, const std::string& b = "") {
    char text[512];
    std::snprintf(text, sizeof text, pattern, a.c_str(), b.c_str());
    return text;
}

class TestRun {
  public:
    TestRun(const std::string& protocol, const std::string& portText, const std::string& lan,
            PortTestOutput& output)
        : protocol_(protocol), portText_(portText), lan_(lan), output_(output) {}

    PortTestOutcome Run();

  private:
    void Log(const std::string& text);
    // Waits in 100 ms steps while the listener status is status, up to ms;
    // false when the test was cancelled meanwhile.
    bool WaitWhileStatus(int status, int ms);
    // Starts a listener and logs how it went; true when it listens.
    bool Listen(const char* stepLine, bool udp, const char* bindError);
    void LogListUpdate();
    bool PortValid();
    bool LocalCheck();
    void OpenOnRouter();
    PortTestOutcome OutsideCheck();
    void CloseOnRouter();
    // Ends the test: a mapping it made is removed, the listener has ended.
    PortTestOutcome End(PortTestOutcome outcome);
    PortTestOutcome Fail();

    int Port() const { return static_cast<int>(std::atol(portText_.c_str())); }
    bool Udp() const { return protocol_ != "TCP"; }

    std::string protocol_;
    std::string portText_;
    std::string lan_;
    PortTestOutput& output_;
    std::string log_;
    bool mapped_ = false;
};

void TestRun::Log(const std::string& text) {
    log_ += text;
    output_.ShowLog(log_, text);
    PumpMessages(100);
}

bool TestRun::WaitWhileStatus(int status, int ms) {
    auto unchanged = [status] { return glb_ListenerStatus == status && !g_cancelled; };
    for (int waited = 0; unchanged() && waited < ms; waited += kStepMs) {
        PumpMessages(100);
        PumpSleepFor(kStepMs, [&unchanged](int step) {
            for (int slept = 0; slept < step && unchanged(); slept += kSliceMs) {
                platform::SleepMs(kSliceMs);
            }
            return !unchanged();
        });
    }
    return !g_cancelled;
}

bool TestRun::Listen(const char* stepLine, bool udp, const char* bindError) {
    Log(Format(stepLine, portText_, protocol_));
    StartTestListener(udp, Port());
    if (!WaitWhileStatus(kListenerNotStarted, kListenWaitMs)) return false;
    switch (glb_ListenerStatus.load()) {
        case kListenerNoSocket:
            Log("→WSAStartup err\r\n");
            break;
        case kListenerNoBind:
            Log(bindError);
            break;
        case kListenerNotStarted:
            Log("→Thread timeout err\r\n");
            break;
        default:
            Log("→listen OK\r\n");
    }
    return glb_ListenerStatus == kListenerListening;
}

void TestRun::LogListUpdate() {
    switch (UpdateTestServerList()) {
        case 1:
            Log("[cgiリストを更新しました]\r\n");
            break;
        case 0:
            Log("[cgiリストを更新しました(not update)]\r\n");
            break;
        default:
            Log("[既存cgiリストを利用します]\r\n");
    }
}

bool TestRun::PortValid() {
    glb_ListenerStatus = kListenerNotStarted;
    int port = Port();
    if (port < 1 || port > 65535) {
        Log(kPortTestFailed);
        output_.ShowMessage(kRangeMessage);
        return false;
    }
    if (port != kSuggestedPort) {
        char hint[160];
        std::snprintf(hint, sizeof hint,
                      "%dポートで失敗する場合は、28800ポートでもチェックしてください", port);
        output_.ShowMessage(hint);
    }
    return true;
}

// Steps ① and ②: the port can be bound and a connection from this computer
// reaches it.
bool TestRun::LocalCheck() {
    if (!Listen("① ポート %s を(%s)listenします\r\n", false,
                "→bind err(指定のポートは、他のソフトがlistenしてます)\r\n")) {
        return false;
    }
    Log("②内部接続を試みます\r\n");
    MemFile* body = MemOpen("3000", "mw");
    HttpRequest(("http://127.0.0.1:" + portText_ + "/").c_str(), body, kHttpNoProxy, kLocalLimitMs);
    MemClose(body);
    if (!WaitWhileStatus(kListenerListening, kListenWaitMs)) return false;
    switch (glb_ListenerStatus.load()) {
        case kListenerNoPeer:
            Log("→no accept "
                "timeout(内部接続に失敗しました)\r\n【可能性１】FWがブロックしている\r\n");
            break;
        case kListenerListening:
            Log("→Thread timeout err\r\n");
            break;
        default:
            Log("→内部接続 OK\r\n");
    }
    return glb_ListenerStatus == kListenerReached;
}

// Step ③. A mapping that already held the port is gone afterwards, even
// one the user made; the log says so.
void TestRun::OpenOnRouter() {
    Log(Format("③ UPnPでポート %s (%s)を開きます\r\n", portText_, protocol_));
    if (DeletePortMapping(portText_, protocol_) == 0) {
        Log(
            Format("→ルーターにポート %s (%s)の割り当てがあれば削除しました"
                   "(自分で開けていた場合は、テスト後に開き直してください)\r\n",
                   portText_, protocol_));
    }
    if (AddPortMapping(portText_, protocol_, portText_, lan_, kMappingPrefix) != 0) {
        Log("→upnp AddPortMapping error\r\n");
        if (!glb_IgdMessage.empty()) Log("  " + glb_IgdMessage + "\r\n");
        Log(kPortTestFailed);
        return;
    }
    Log("→AddPortMapping 成功\r\n");
    mapped_ = true;
}

// Steps ⑤ and the verdict.
PortTestOutcome TestRun::OutsideCheck() {
    Log("⑤外部接続を試みます\r\n");
    std::string url, message, expected;
    ChooseTestServer(protocol_, portText_, &url, &message, &expected);
    if (!message.empty()) Log(message);
    int status = 0;
    MemFile* body = MemOpen("3000", "mw");
    if (url.empty()) {
        Log(kNoTestServerLine);
    } else {
        status = HttpRequest(url.c_str(), body, kHttpNoProxy,
                             Udp() ? kUdpServerLimitMs : kTcpServerLimitMs);
    }
    bool answered = status == 200 && FindBytes(MemData(body), expected.c_str(), MemLength(body),
                                               expected.size()) != nullptr;
    if (expected.empty()) answered = status == 200;
    MemClose(body);
    if (!url.empty() && !WaitWhileStatus(kListenerListening, kListenWaitMs)) return Fail();
    glb_Settings.SetInt(kSetupTestKey, -1);
    if (!answered) {
        Log(kServerError);
        return PortTestOutcome::kFailed;
    }
    switch (glb_ListenerStatus.load()) {
        case kListenerNoPeer:
            Log(kNoPeerExternal);
            return PortTestOutcome::kFailed;
        case kListenerListening:
            Log("→Thread timeout err\r\n");
            return PortTestOutcome::kFailed;
    }
    glb_Settings.SetInt(kSetupTestKey, 1);
    Log(kPassed);
    return PortTestOutcome::kPassed;
}

void TestRun::CloseOnRouter() {
    if (!mapped_) return;
    DeletePortMapping(portText_, protocol_);
    mapped_ = false;
}

PortTestOutcome TestRun::End(PortTestOutcome outcome) {
    CloseOnRouter();
    FinishTestListener();
    return outcome;
}

PortTestOutcome TestRun::Fail() {
    if (g_cancelled) Log(kCancelled);
    CloseOnRouter();
    Log(kPortTestFailed);
    return End(PortTestOutcome::kNotRun);
}

PortTestOutcome TestRun::Run() {
    Log(kPortTestHeader);
    LogListUpdate();
    if (!PortValid()) return End(PortTestOutcome::kNotRun);
    if (!Udp() && !LocalCheck()) return Fail();
    OpenOnRouter();
    if (!Listen("④ ポート %s を(%s)listenします\r\n", Udp(), "→bind err\r\n")) return Fail();
    PortTestOutcome outcome = OutsideCheck();
    if (g_cancelled && outcome == PortTestOutcome::kNotRun) return outcome;
    CloseOnRouter();
    if (glb_ListenerStatus != kListenerReached) Log(kPortTestFailed);
    Log("\r\n\r\n" + FindListMessage("MES"));
    return End(outcome);
}

}  // namespace

PortTestOutcome PortOpenTest(const std::string& protocol, const std::string& portText,
                             const std::string& lanAddress, PortTestOutput& output) {
    Trace("PortOpenTest() S", protocol.c_str(), std::atoi(portText.c_str()));
    g_cancelled = false;
    g_running = true;
    PortTestOutcome outcome = TestRun(protocol, portText, lanAddress, output).Run();
    g_running = false;
    Trace("PortOpenTest() E", protocol.c_str(), static_cast<int>(outcome));
    return outcome;
}

bool PortTestRunning() {
    return g_running;
}

void CancelPortTest() {
    g_cancelled = true;
}

void ResetPortOpenTestForTests() {
    g_running = false;
    g_cancelled = false;
    ResetTestListenerForTests();
}
