// The port-mapping actions against a fake router on loopback that records
// every SOAP request: how port lists become single actions, where opening
// and closing stop, and how the mapping table is read.
#include "upnp/port_mapping.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "foundation/settings.h"
#include "tests/support/fake_igd.h"
#include "upnp/igd_session.h"
#include "upnp/soap_fault.h"
#include "upnp/soap_request.h"

namespace {

constexpr char kIp[] = "urn:schemas-upnp-org:service:WANIPConnection:1";
constexpr char kLanAddress[] = "192.168.0.10";

// The text of element name in a request body ("" when it is missing).
std::string Argument(const std::string& body, const std::string& name) {
    size_t open = body.find("<" + name);
    if (open == std::string::npos) return "";
    size_t start = body.find('>', open) + 1;
    return body.substr(start, body.find("</" + name + ">", start) - start);
}

std::vector<std::string> g_statusLines;
void RecordStatusLine(const char* text) {
    g_statusLines.push_back(text);
}

class PortMappingTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Reset();
        NewRouter();
        glb_Settings.SetInt(kTransportModeKey, 1);  // each action sent once
        SetStatusLineHook(RecordStatusLine);
    }
    void TearDown() override { Reset(); }
    static void Reset() {
        ResetIgdSessionForTests();
        ResetPortMappingForTests();
        ResetSettingsForTests();
        g_statusLines.clear();
    }

    // A fresh router with no requests, as UPnpInit would have found it.
    void NewRouter() {
        igd_ = std::make_unique<FakeIgd>();
        glb_IgdState = 1;
        glb_ControlURL = igd_->ControlUrl();
        glb_ServiceType = kIp;
    }

    // "wan>lan" for every AddPortMapping request, "wan" for every other
    // request, in the order sent.
    std::vector<std::string> Sent() const {
        std::vector<std::string> sent;
        for (const FakeRequest& request : igd_->ActionRequests()) {
            std::string port = Argument(request.body, "NewExternalPort");
            if (request.Header("SOAPAction").find("#AddPortMapping") != std::string::npos) {
                port += ">" + Argument(request.body, "NewInternalPort");
            }
            sent.push_back(port);
        }
        return sent;
    }

    std::unique_ptr<FakeIgd> igd_;
};

struct ListCase {
    const char* wan;
    const char* lan;
    std::vector<std::string> sent;
};

TEST_F(PortMappingTest, OpenExpandsTheListsIntoAtMostTenPorts) {
    const ListCase cases[] = {
        {"8000-8005",
         "9000-9001",
         {"8000>9000", "8001>9001", "8002>9000", "8003>9001", "8004>9000", "8005>9001"}},
        {"8000-8020",
         "8000-8020",
         {"8000>8000", "8001>8001", "8002>8002", "8003>8003", "8004>8004", "8005>8005", "8006>8006",
          "8007>8007", "8008>8008", "8009>8009"}},
        {"8000-8003", "9000", {"8000>9000", "8001>9000", "8002>9000", "8003>9000"}},
        {"8005-8000", "8005-8000", {"8005>8005"}},
        {"8000,,9000", "8000,,9000", {"8000>8000", "0>0", "9000>9000"}},
        {"1-8,20-25,30",
         "1-8,20-25,30",
         {"1>1", "2>2", "3>3", "4>4", "5>5", "6>6", "7>7", "8>8", "20>20", "21>21"}},
    };
    for (const ListCase& c : cases) {
        SCOPED_TRACE(std::string(c.wan) + " to " + c.lan);
        NewRouter();
        EXPECT_EQ(0, AddPortMapping(c.wan, "TCP", c.lan, kLanAddress, "Sluice"));
        EXPECT_EQ(c.sent, Sent());
    }
}

TEST_F(PortMappingTest, OpenSendsEveryArgumentAndShowsProgress) {
    EXPECT_EQ(0, AddPortMapping("8000", "UDP", "9000", kLanAddress, "Web"));

    std::vector<FakeRequest> sent = igd_->ActionRequests();
    ASSERT_EQ(1u, sent.size());
    const std::string& body = sent[0].body;
    EXPECT_EQ(std::string("\"") + kIp + "#AddPortMapping\"", sent[0].Header("SOAPAction"));
    EXPECT_EQ("", Argument(body, "NewRemoteHost"));
    EXPECT_EQ("UDP", Argument(body, "NewProtocol"));
    EXPECT_EQ(kLanAddress, Argument(body, "NewInternalClient"));
    EXPECT_EQ("Web8000U", Argument(body, "NewPortMappingDescription"));
    for (const char* ui2 :
         {"NewExternalPort", "NewInternalPort", "NewEnabled", "NewLeaseDuration"}) {
        EXPECT_NE(std::string::npos, body.find(std::string("<") + ui2 +
                                               " xmlns:dt=\"urn:schemas-microsoft-com:datatypes\""
                                               " dt:dt=\"ui2\">"))
            << ui2;
    }
    EXPECT_EQ("1", Argument(body, "NewEnabled"));
    EXPECT_EQ("0", Argument(body, "NewLeaseDuration"));
    EXPECT_EQ("AddPortMapping成功(" + igd_->ControlUrl() + ",8000)", glb_IgdMessage);
    EXPECT_EQ(std::vector<std::string>{"8000(UDP) Open..."}, g_statusLines);
}

TEST_F(PortMappingTest, OpenStopsAtTheFirstRefusedPort) {
    igd_->QueueAnswer(IgdScenario::kNormal, "AddPortMapping", {});
    igd_->QueueAnswer(IgdScenario::kNormal, "AddPortMapping", {});
    igd_->QueueAnswer(IgdScenario::kErrorStatus, "AddPortMapping", {});

    EXPECT_EQ(-2, AddPortMapping("8000-8005", "TCP", "8000-8005", kLanAddress, "Sluice"));

    EXPECT_EQ((std::vector<std::string>{"8000>8000", "8001>8001", "8002>8002"}), Sent());
    // The router's reason follows the error text.
    EXPECT_EQ("AddPortMappingエラー(" + igd_->ControlUrl() +
                  ") UPnPエラー501 Action Failed: " + UpnpErrorAdvice(501),
              glb_IgdMessage);
}

TEST_F(PortMappingTest, CloseGoesOnAfterFailuresAndTakesTheFirstPortOfLaterItems) {
    const ListCase cases[] = {
        {"8000-8011,9000",
         "",
         {"8000", "8001", "8002", "8003", "8004", "8005", "8006", "8007", "8008", "8009", "9000"}},
        {"1-12,20,30-31", "", {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "20", "30"}},
        {"8005-8000", "", {"8005"}},
    };
    for (const ListCase& c : cases) {
        SCOPED_TRACE(c.wan);
        NewRouter();
        EXPECT_EQ(0, DeletePortMapping(c.wan, "TCP"));
        EXPECT_EQ(c.sent, Sent());
    }

    NewRouter();
    igd_->QueueAnswer(IgdScenario::kErrorStatus, "DeletePortMapping", {});
    EXPECT_EQ(0, DeletePortMapping("8000-8002", "UDP")) << "the last port counts";
    EXPECT_EQ((std::vector<std::string>{"8000", "8001", "8002"}), Sent());
    EXPECT_EQ("DeletePortMapping成功(" + igd_->ControlUrl() + ",8002)", glb_IgdMessage);

    NewRouter();
    igd_->AnswerActions(IgdScenario::kErrorStatus, "DeletePortMapping", {});
    EXPECT_EQ(-1, DeletePortMapping("8000", "UDP"));
    EXPECT_EQ("DeletePortMappingエラー(" + igd_->ControlUrl() +
                  ") UPnPエラー501 Action Failed: " + UpnpErrorAdvice(501),
              glb_IgdMessage);
    std::vector<FakeRequest> sent = igd_->ActionRequests();
    ASSERT_EQ(1u, sent.size());
    EXPECT_EQ("UDP", Argument(sent[0].body, "NewProtocol"));
    EXPECT_EQ("", Argument(sent[0].body, "NewRemoteHost"));
    EXPECT_EQ(std::string("\"") + kIp + "#DeletePortMapping\"", sent[0].Header("SOAPAction"));
    EXPECT_EQ(std::vector<std::string>({"8000-8011,9000(TCP) Close...",
                                        "1-12,20,30-31(TCP) Close...", "8005-8000(TCP) Close...",
                                        "8000-8002(UDP) Close...", "8000(UDP) Close..."}),
              g_statusLines);
}

TEST_F(PortMappingTest, EmptyListsSendNothing) {
    EXPECT_EQ(-1, AddPortMapping("", "TCP", "", kLanAddress, "Sluice"));
    EXPECT_EQ(-1, DeletePortMapping("", "TCP"));
    EXPECT_TRUE(igd_->ActionRequests().empty());
}

TEST_F(PortMappingTest, UnavailableSessionSendsNothing) {
    glb_IgdState = -1;
    glb_IgdMessage = "IGDエラー3(ルーター反応なし)";
    EXPECT_EQ(-1, _AddPortMapping("8000", "TCP", "8000", kLanAddress, "Sluice8000T"));
    EXPECT_EQ(-1, AddPortMapping("8000-8002", "TCP", "8000-8002", kLanAddress, "Sluice"));
    EXPECT_EQ(-1, _DeletePortMapping("8000", "TCP"));
    EXPECT_EQ(-1, DeletePortMapping("8000-8002", "TCP"));
    glb_MappingEntries.Add("stale");
    EXPECT_EQ(0, GetMappingEntries());
    EXPECT_EQ(0, glb_MappingEntries.Count());
    EXPECT_TRUE(igd_->ActionRequests().empty());
    EXPECT_EQ("IGDエラー3(ルーター反応なし)", glb_IgdMessage);
    EXPECT_EQ(-1, glb_IgdState) << "a failed session is not retried";
}

SoapOutputs Entry(const std::string& port, const std::string& description) {
    return {{"NewRemoteHost", ""},
            {"NewExternalPort", port},
            {"NewProtocol", "TCP"},
            {"NewInternalPort", port},
            {"NewInternalClient", kLanAddress},
            {"NewEnabled", "1"},
            {"NewPortMappingDescription", description},
            {"NewLeaseDuration", "0"}};
}

TEST_F(PortMappingTest, MappingEntriesEndAtTheFirstFailedAnswer) {
    igd_->QueueAnswer(IgdScenario::kNormal, "GetGenericPortMappingEntry", Entry("8000", "A&amp;B"));
    igd_->QueueAnswer(IgdScenario::kNormal, "GetGenericPortMappingEntry",
                      Entry("8001", u8"ウェブ8001T"));
    igd_->QueueAnswer(IgdScenario::kNormal, "GetGenericPortMappingEntry",
                      {{"NewExternalPort", "8002"}, {"NewProtocol", "UDP"}});
    igd_->AnswerActions(IgdScenario::kErrorStatus, "GetGenericPortMappingEntry", {});

    EXPECT_EQ(3, GetMappingEntries());

    ASSERT_EQ(3, glb_MappingEntries.Count());
    EXPECT_STREQ("\t8000\tTCP\t8000\t192.168.0.10\t1\tA&B\t0", glb_MappingEntries.GetAt(0));
    EXPECT_STREQ("\t8001\tTCP\t8001\t192.168.0.10\t1\tウェブ8001T\t0", glb_MappingEntries.GetAt(1));
    EXPECT_STREQ("\t8002\tUDP\t\t\t\t\t", glb_MappingEntries.GetAt(2));
    std::vector<FakeRequest> sent = igd_->ActionRequests();
    ASSERT_EQ(4u, sent.size());
    for (size_t index = 0; index < sent.size(); ++index) {
        EXPECT_EQ(std::to_string(index), Argument(sent[index].body, "NewPortMappingIndex"));
        EXPECT_NE(std::string::npos,
                  sent[index].body.find("dt:dt=\"ui2\">" + std::to_string(index)));
    }
}

TEST_F(PortMappingTest, MappingEntriesStopAtTheLimit) {
    igd_->AnswerActions(IgdScenario::kNormal, "GetGenericPortMappingEntry", Entry("8000", "x"));
    glb_MappingEntries.Add("stale");
    EXPECT_EQ(20, GetMappingEntries());
    EXPECT_EQ(20, glb_MappingEntries.Count());
    EXPECT_EQ(20u, igd_->ActionRequests().size());

    NewRouter();
    igd_->AnswerActions(IgdScenario::kNormal, "GetGenericPortMappingEntry", Entry("8000", "x"));
    EXPECT_EQ(45, GetMappingEntries(45)) << "a caller's own limit";

    NewRouter();
    igd_->AnswerActions(IgdScenario::kErrorStatus, "GetGenericPortMappingEntry", {});
    EXPECT_EQ(0, GetMappingEntries());
    EXPECT_EQ(0, glb_MappingEntries.Count());
}

}  // namespace
