#include "upnp/igd_session.h"

#include <memory>
#include <set>

#include "foundation/keyed_table.h"
#include "foundation/pump.h"
#include "foundation/settings.h"
#include "foundation/strlist.h"
#include "foundation/trace.h"
#include "platform/clock.h"
#include "upnp/device_description.h"
#include "upnp/device_list.h"
#include "upnp/session_deadline.h"
#include "upnp/wan_address.h"

int glb_IgdState = 0;
std::string glb_IgdMessage;
std::string glb_ControlURL;
std::string glb_ServiceType;
std::string glb_WanIP;
uint32_t glb_LastSearchTick = 0;
std::string glb_DeviceListText;
std::string glb_ChosenDevice;

namespace {

constexpr char kPppType[] = "urn:schemas-upnp-org:service:WANPPPConnection:1";
constexpr char kIpType[] = "urn:schemas-upnp-org:service:WANIPConnection:1";

constexpr int kFirstPauseMs = 300;
constexpr int kPollStepMs = 300;
constexpr int kBudgetMs = 3000;
constexpr uint32_t kRepeatSearchMs = 1600;
constexpr int kPauseAfterRepeatMs = 200;
constexpr int kPauseAfterAcceptMs = 100;
constexpr int kSessionCapMs = 20000;

constexpr char kInitError[] = "IGDエラー2(初期化エラー)";
constexpr char kNoResponse[] = "IGDエラー3(ルーター反応なし)";
constexpr char kReceiveErrorText[] = "IGDエラー4(受信エラー)";
constexpr char kDetected[] = "IGD検出OK";
constexpr char kNoControlUrlRecord[] = "ctrlUrl取得不能";

std::unique_ptr<SsdpSearcher> g_searcher;
// The LOCATIONs examined since the current session start or device search
// began: a device that answers again (both search types, every repeated
// search) costs one examination, however slow it is.
std::set<std::string> g_examined;
// True while UPnpInit or SearchDevices runs; a handler that runs during one of
// their pauses must not start another on the same searcher.
bool g_busy = false;

void SearchPair(SsdpSearcher& searcher) {
    searcher.Search(kPppType);
    searcher.Search(kIpType);
}

// A polling pause that ends early when an answer is waiting; the caller
// still counts the whole step.
void PollPause(SsdpSearcher& searcher, int ms) {
    PumpSleepFor(ms, [&searcher](int step) { return searcher.AnswerWaiting(step); });
}

// Opens the searcher and sends the first search pair; false (with the
// message set) when the searcher cannot be opened.
bool StartSearch(SsdpSearcher& searcher) {
    if (!searcher.WinsockStartup() || !searcher.Open()) {
        glb_IgdMessage = kInitError;
        return false;
    }
    glb_IgdMessage = kNoResponse;
    SearchPair(searcher);
    PollPause(searcher, kFirstPauseMs);
    return true;
}

void RepeatSearchWhenDue(SsdpSearcher& searcher) {
    uint32_t now = platform::TickCount();
    if (glb_LastSearchTick == 0) glb_LastSearchTick = now;
    if (now - glb_LastSearchTick <= kRepeatSearchMs) return;
    SearchPair(searcher);
    PumpSleep(kPauseAfterRepeatMs);
    glb_LastSearchTick = now;
}

// The control URL for the answered type, else for the other version-1 type,
// else for the IPv2 service that IGDv2 routers describe; one fetch of the
// description for all three.
std::string FindControlUrl(const std::string& location, const std::string& type) {
    const char* other = type.find("PPP") != std::string::npos ? kIpType : kPppType;
    return GetControlURL(location.c_str(), {type, other, kWanIpConnectionV2});
}

// Starts a session start or device search: no other may start inside it, and
// it ends within the cap. False when one is already running.
bool EnterSession() {
    if (g_busy) {
        Trace("UPnpInit() already running");
        return false;
    }
    g_busy = true;
    g_examined.clear();
    StartSessionDeadline(kSessionCapMs);
    return true;
}

void LeaveSession(SsdpSearcher& searcher) {
    searcher.Close();
    EndSessionDeadline();
    g_busy = false;
}

bool PollingGoesOn(int budget) {
    return budget < kBudgetMs && !SessionDeadlinePassed();
}

bool MatchesDesignation() {
    const char* designation = glb_Settings.Get(kDeviceDesignationKey);
    return *designation == '\0' || glb_RecvText.find(designation) != std::string::npos;
}

void AddRecordOnce(const std::string& record, StrList& records, KeyedTable& seen) {
    if (seen.GetInt(record) == 1) return;
    seen.SetInt(record, 1);
    records.Add(record.c_str());
}

// The listing record of a device that CheckRooter accepted or described.
std::string RecordOf(int result) {
    std::string uuid = UuidFromAnswer(glb_RecvText);
    switch (result) {
        case kRouterAccepted:
            return DeviceRecord(glb_ModelDescription, uuid, glb_Location, glb_RouterHost,
                                glb_WanIP);
        case kNoWanAddress:
            return DeviceRecord(glb_ModelDescription, uuid, glb_Location, glb_RecvFrom, "");
        default:
            return DeviceRecord(kNoControlUrlRecord, uuid, "", glb_RecvFrom, "");
    }
}

bool IsDevice(int result) {
    return result == kRouterAccepted || result == kNoWanAddress || result == kNoControlUrl;
}

}  // namespace

SsdpSearcher& SessionSearcher() {
    if (!g_searcher) g_searcher = std::make_unique<SsdpSearcher>();
    return *g_searcher;
}

void SetSessionSsdpTargetForTests(const SsdpTarget& target) {
    g_searcher = std::make_unique<SsdpSearcher>(target);
}

int CheckRooter() {
    SsdpSearcher& searcher = SessionSearcher();
    RepeatSearchWhenDue(searcher);
    Trace("CheckRooter() S");
    std::string type, location;
    int received = searcher.Recv(&type, &location, 0);
    // Only a failing socket ends the search: any device on the LAN can send
    // an answer with another status.
    if (received == -1) {
        glb_IgdMessage = kReceiveErrorText;
        return kReceiveError;
    }
    if (received != 2) return kNothingToActOn;
    if (!g_examined.insert(location).second) {
        Trace("CheckRooter() Location examined already", location);
        return kNothingToActOn;
    }
    Trace("CheckRooter() IGD OK,Location:\n", location);
    Trace("CheckRooter() ControlURL() C", location);
    glb_ControlURL = FindControlUrl(location, type);
    Trace("CheckRooter() ControlURL() CE ControlURL=", glb_ControlURL);
    if (glb_ControlURL.empty()) {
        glb_IgdMessage = "ControlUrl取得エラー(" + location + ")";
        return kNoControlUrl;
    }
    glb_ServiceType = type;
    if (!MatchesDesignation()) return kNothingToActOn;
    Trace("CheckRooter() GetWANIPAdrress() C");
    std::string fault;
    if (!GetWANIPAdrress(&fault)) {
        glb_IgdMessage = "WAN側IPアドレス取得エラー(" + glb_ServiceType + ")" + fault;
        return kNoWanAddress;
    }
    PumpSleep(kPauseAfterAcceptMs);
    return kRouterAccepted;
}

// Until it succeeds the session counts as failed, so that a router command
// started by a handler during one of its pauses fails at once instead of
// using a router that is still being examined.
void UPnpInit() {
    Trace("UPnpInit() S");
    if (!EnterSession()) return;
    glb_IgdState = -1;
    SsdpSearcher& searcher = SessionSearcher();
    if (StartSearch(searcher)) {
        for (int budget = 0; PollingGoesOn(budget); budget += kPollStepMs) {
            Trace("UPnpInit() CheckRooter() C", "", budget);
            int result = CheckRooter();
            if (result == kRouterAccepted) {
                glb_IgdState = 1;
                glb_IgdMessage = kDetected;
                PumpSleep(kPauseAfterAcceptMs);
                break;
            }
            // A device without control URL or WAN address is not the router
            // (a TV, a NAS); a later answer may still be.
            if (result == kReceiveError) break;
            PollPause(searcher, kPollStepMs);
        }
    }
    LeaveSession(searcher);
}

void SearchDevices() {
    Trace("UPnpInit() S");
    if (!EnterSession()) return;
    glb_IgdState = -1;
    glb_DeviceListText.clear();
    StrList records;
    KeyedTable seen;
    SsdpSearcher& searcher = SessionSearcher();
    if (StartSearch(searcher)) {
        for (int budget = 0; PollingGoesOn(budget); budget += kPollStepMs) {
            Trace("UPnpInit() CheckRooter() C", "", budget);
            int result = CheckRooter();
            if (result == kReceiveError) break;
            if (IsDevice(result)) {
                glb_IgdState = 1;
                if (result == kRouterAccepted) glb_IgdMessage = kDetected;
                PumpSleep(kPauseAfterAcceptMs);
                AddRecordOnce(RecordOf(result), records, seen);
            }
            PollPause(searcher, kPollStepMs);
        }
    }
    ListDevices(records, &glb_DeviceListText, &glb_ChosenDevice);
    LeaveSession(searcher);
}

void ResetIgdSessionForTests() {
    glb_IgdState = 0;
    glb_IgdMessage.clear();
    glb_ControlURL.clear();
    glb_ServiceType.clear();
    glb_WanIP.clear();
    glb_LastSearchTick = 0;
    glb_DeviceListText.clear();
    glb_ChosenDevice.clear();
    g_searcher.reset();
    g_examined.clear();
    g_busy = false;
    ResetSessionDeadlineForTests();
}
