// The SSDP searcher against a test socket on loopback: searches are aimed at
// the test socket instead of the multicast group, and the test socket answers
// the searcher's bound port the way a router answers unicast.
#include "upnp/ssdp_searcher.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <memory>

#include "foundation/pump.h"
#include "platform/udp.h"

namespace {

constexpr char kPpp[] = "urn:schemas-upnp-org:service:WANPPPConnection:1";
constexpr char kIp[] = "urn:schemas-upnp-org:service:WANIPConnection:1";
constexpr char kIp2[] = "urn:schemas-upnp-org:service:WANIPConnection:2";
constexpr char kLoopback[] = "127.0.0.1";
constexpr char kDesc[] = "http://10.77.0.1:2869/rootDesc.xml";

std::string Answer(const std::string& st, const std::string& location) {
    return "HTTP/1.1 200 OK\r\nCACHE-CONTROL: max-age=120\r\nST: " + st +
           "\r\nUSN: uuid:abc::" + st +
           "\r\nEXT:\r\nSERVER: Linux UPnP/1.1\r\nLocation: " + location + "\r\n\r\n";
}

std::string WithoutLineFeeds(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), '\n'), text.end());
    return text;
}

class SsdpSearcherTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetSsdpForTests();
        ASSERT_EQ(0, platform::UdpOpen(&peer_));
        ASSERT_EQ(0, platform::UdpBindFrom(peer_, 25500, &peerPort_));
        searcher_ = MakeSearcher({kLoopback});
        ASSERT_TRUE(searcher_->WinsockStartup());
        ASSERT_TRUE(searcher_->Open()) << searcher_->LastError();
    }
    void TearDown() override { platform::UdpClose(peer_); }

    // A searcher whose searches go to the peer socket, sent "from" these
    // interface addresses.
    std::unique_ptr<SsdpSearcher> MakeSearcher(std::vector<std::string> interfaces) {
        SsdpTarget target;
        target.address = kLoopback;
        target.port = peerPort_;
        target.listInterfaces = [interfaces](std::vector<std::string>* out) {
            *out = interfaces;
            return 0;
        };
        return std::make_unique<SsdpSearcher>(target);
    }

    void SendToSearcher(const std::string& datagram) {
        int sent = 0;
        ASSERT_EQ(0, platform::UdpSendTo(peer_, datagram, kLoopback, searcher_->Port(), &sent));
        ASSERT_EQ(static_cast<int>(datagram.size()), sent);
    }

    // The next datagram the peer received within a second ("" when none).
    std::string PeerReceived(std::string* sender = nullptr) {
        bool readable = false;
        platform::UdpWaitReadable(peer_, 1000, &readable);
        if (!readable) return "";
        std::string data, from;
        platform::UdpRecvFrom(peer_, 4096, &data, &from);
        if (sender) *sender = from;
        return data;
    }

    void SearchBoth() {
        ASSERT_TRUE(searcher_->Search(kPpp));
        ASSERT_TRUE(searcher_->Search(kIp));
        PeerReceived();
        PeerReceived();
    }

    platform::UdpSocket peer_ = platform::kNoUdpSocket;
    int peerPort_ = 0;
    std::unique_ptr<SsdpSearcher> searcher_;
    std::string type_, location_;
};

TEST_F(SsdpSearcherTest, SearchSendsTheRequestFromTheBoundPortOncePerInterface) {
    auto searcher = MakeSearcher({kLoopback, kLoopback});
    ASSERT_TRUE(searcher->Open());
    ASSERT_TRUE(searcher->Search(kIp));
    EXPECT_EQ(0, searcher->LastError());
    const std::string request =
        "M-SEARCH * HTTP/1.1\r\nMX: 3\r\nHOST: 239.255.255.250:1900\r\n"
        "MAN: \"ssdp:discover\"\r\nST: urn:schemas-upnp-org:service:WANIPConnection:1\r\n\r\n";
    for (int copy = 0; copy < 2; ++copy) {
        std::string sender;
        EXPECT_EQ(request, PeerReceived(&sender)) << "copy " << copy;
        EXPECT_EQ(kLoopback, sender);
    }
    EXPECT_EQ("", PeerReceived());
}

TEST_F(SsdpSearcherTest, SearchedTypesAreListedOnceAndForgottenByClose) {
    ASSERT_TRUE(searcher_->Search(kPpp));
    ASSERT_TRUE(searcher_->Search(kIp));
    ASSERT_TRUE(searcher_->Search(kPpp));
    EXPECT_EQ((std::vector<std::string>{kPpp, kIp}), searcher_->SearchedTypes());

    searcher_->Close();
    EXPECT_TRUE(searcher_->SearchedTypes().empty());
    EXPECT_EQ(0, searcher_->Port());
    ASSERT_TRUE(searcher_->Open());
    SendToSearcher(Answer(kIp, kDesc));
    EXPECT_EQ(0, searcher_->Recv(&type_, &location_, 1000)) << "type searched before Close";
}

TEST_F(SsdpSearcherTest, SearchGoesOnPastAnInterfaceThatFails) {
    // 192.0.2.77 is no local address: selecting it fails and nothing is sent.
    auto searcher = MakeSearcher({"192.0.2.77", kLoopback});
    ASSERT_TRUE(searcher->Open());
    EXPECT_TRUE(searcher->Search(kIp));
    EXPECT_EQ(0, searcher->LastError());
    EXPECT_NE("", PeerReceived());
    EXPECT_EQ("", PeerReceived());

    auto failing = MakeSearcher({"192.0.2.77"});
    ASSERT_TRUE(failing->Open());
    EXPECT_FALSE(failing->Search(kIp));
    EXPECT_NE(0, failing->LastError());
    EXPECT_TRUE(failing->SearchedTypes().empty());
}

TEST_F(SsdpSearcherTest, SearchFailsWithoutInterfaces) {
    auto none = MakeSearcher({});
    ASSERT_TRUE(none->Open());
    EXPECT_FALSE(none->Search(kIp));
    EXPECT_NE(0, none->LastError());

    SsdpTarget broken;
    broken.listInterfaces = [](std::vector<std::string>*) { return EACCES; };
    SsdpSearcher searcher(broken);
    ASSERT_TRUE(searcher.Open());
    EXPECT_FALSE(searcher.Search(kIp));
    EXPECT_EQ(EACCES, searcher.LastError());
}

TEST_F(SsdpSearcherTest, RecvJudgesEachAnswer) {
    SearchBoth();
    struct Case {
        const char* name;
        std::string datagram;
        int result;
        std::string type, location;
    };
    const Case cases[] = {
        {"200 OK", Answer(kIp, kDesc), 2, kIp, kDesc},
        {"PPP answer", Answer(kPpp, kDesc), 2, kPpp, kDesc},
        {"404", "HTTP/1.1 404 Not Found\r\nST: " + std::string(kIp) + "\r\nLocation: x\r\n\r\n", -2,
         "", ""},
        {"NOTIFY", "NOTIFY * HTTP/1.1\r\nNT: " + std::string(kIp) + "\r\nLocation: x\r\n\r\n", -2,
         "", ""},
        {"status 2000", "HTTP/1.1 2000 OK\r\nST: " + std::string(kIp) + "\r\nLocation: x\r\n", -2,
         "", ""},
        {"empty datagram", "", -2, "", ""},
        {"names in any case", "HTTP/1.1 200 OK\r\nst: " + std::string(kIp) + "\r\nLOCATION: u\r\n",
         2, kIp, "u"},
        {"blank before colon",
         "HTTP/1.1 200 OK\r\nST : " + std::string(kIp) + "\r\nLocation: u\r\n", 0, "", ""},
        {"four blanks and CR",
         "HTTP/1.1 200 OK\r\nST: " + std::string(kIp) + "\r\nLocation:    http://r/d.xml  \r\n\r\n",
         2, kIp, "http://r/d.xml  "},
        {"line feeds only", "HTTP/1.1 200 OK\nST: " + std::string(kIp) + "\nLocation: u\n", 2, kIp,
         "u"},
        {"later header wins", Answer(kIp, "first") + "Location: second\r\n", 2, kIp, "second"},
        {"empty ST value", "HTTP/1.1 200 OK\r\nST:\r\nLocation: u\r\n", 0, "", ""},
        {"no Location", "HTTP/1.1 200 OK\r\nST: " + std::string(kIp) + "\r\n\r\n", 0, "", ""},
        {"no headers", "HTTP/1.1 200 OK\r\n\r\n", 0, "", ""},
        {"type not searched", Answer("urn:schemas-upnp-org:device:InternetGatewayDevice:1", kDesc),
         0, "", ""},
        {"IGDv2 answer", Answer(kIp2, kDesc), 2, kIp, kDesc},
        {"other service v2", Answer("urn:schemas-upnp-org:service:Layer3Forwarding:2", kDesc), 0,
         "", ""},
    };
    for (const Case& c : cases) {
        SendToSearcher(c.datagram);
        EXPECT_EQ(c.result, searcher_->Recv(&type_, &location_, 1000)) << c.name;
        EXPECT_EQ(c.type, type_) << c.name;
        EXPECT_EQ(c.location, location_) << c.name;
        EXPECT_EQ(0, searcher_->LastError()) << c.name;
    }
}

TEST_F(SsdpSearcherTest, AnswerForAnUnsearchedTypeIsRefused) {
    ASSERT_TRUE(searcher_->Search(kPpp));
    SendToSearcher(Answer(kIp, kDesc));
    EXPECT_EQ(0, searcher_->Recv(&type_, &location_, 1000));
    EXPECT_EQ("", type_);
    EXPECT_EQ("", location_);
}

TEST_F(SsdpSearcherTest, UnusableAnswerStillLeavesTextAndSender) {
    SearchBoth();
    const std::string datagram =
        "HTTP/1.1 200 OK\r\nST: " + std::string(kIp) + "\r\nUSN: uuid:x\r\n\r\n";
    SendToSearcher(datagram);
    EXPECT_EQ(0, searcher_->Recv(&type_, &location_, 1000));
    EXPECT_EQ(WithoutLineFeeds(datagram), glb_RecvText);
    EXPECT_EQ(kLoopback, glb_RecvFrom);

    SendToSearcher("HTTP/1.1 404 Not Found\r\nST: x\r\n");
    EXPECT_EQ(-2, searcher_->Recv(&type_, &location_, 1000));
    EXPECT_EQ("HTTP/1.1 404 Not Found\r", glb_RecvText) << "stops after the first line";

    EXPECT_EQ(1, searcher_->Recv(&type_, &location_, 0));
    EXPECT_EQ("", glb_RecvText) << "emptied by every Recv";
}

TEST_F(SsdpSearcherTest, DatagramOfTheFullBufferIsReadWholeAndALongerOneIsNoAnswer) {
    SearchBoth();
    const std::string head = "HTTP/1.1 200 OK\r\nST: " + std::string(kIp) + "\r\nX-Pad: ";
    const std::string tail = "\r\nLocation: http://10.77.0.1:2869/d.xml";
    std::string full = head + std::string(2048 - head.size() - tail.size(), 'a') + tail;
    ASSERT_EQ(2048u, full.size());
    SendToSearcher(full);
    EXPECT_EQ(2, searcher_->Recv(&type_, &location_, 1000));
    EXPECT_EQ("http://10.77.0.1:2869/d.xml", location_) << "last byte kept";
    EXPECT_EQ(WithoutLineFeeds(full), glb_RecvText);

    // Any device on the LAN can send this: it is passed over, and the answer
    // after it is still taken.
    SendToSearcher(full + "l");
    SendToSearcher(full);
    EXPECT_EQ(0, searcher_->Recv(&type_, &location_, 1000));
    EXPECT_EQ(EMSGSIZE, searcher_->LastError());
    EXPECT_EQ("", location_);
    EXPECT_EQ(2, searcher_->Recv(&type_, &location_, 1000));
    EXPECT_EQ("http://10.77.0.1:2869/d.xml", location_);
}

TEST_F(SsdpSearcherTest, RecvTakesOneDatagramPerCallAndWaitsAtMostTheLimit) {
    SearchBoth();
    EXPECT_EQ(1, searcher_->Recv(&type_, &location_, 0));
    EXPECT_EQ(1, searcher_->Recv(&type_, &location_, 50));
    EXPECT_FALSE(searcher_->AnswerWaiting(0));

    SendToSearcher(Answer(kPpp, "one"));
    SendToSearcher(Answer(kIp, "two"));
    EXPECT_TRUE(PumpSleepFor(3000, [this](int ms) { return searcher_->AnswerWaiting(ms); }));
    EXPECT_EQ(2, searcher_->Recv(&type_, &location_, 0));
    EXPECT_EQ("one", location_);
    EXPECT_EQ(2, searcher_->Recv(&type_, &location_, 0));
    EXPECT_EQ("two", location_);
    EXPECT_EQ(1, searcher_->Recv(&type_, &location_, 0));
}

TEST_F(SsdpSearcherTest, ClosedSearcherReportsFailures) {
    searcher_->Close();
    EXPECT_EQ(-1, searcher_->Recv(&type_, &location_, 0));
    EXPECT_EQ(EBADF, searcher_->LastError());
    EXPECT_FALSE(searcher_->Search(kIp));
    EXPECT_TRUE(searcher_->AnswerWaiting(0)) << "ends a polling wait so that Recv reports";
    searcher_->Close();
    EXPECT_EQ(0, searcher_->LastError());
}

TEST(SsdpSearcherPort, OpenStepsPastTakenPortsAndKeepsAnOpenSocket) {
    platform::UdpSocket holder = platform::kNoUdpSocket;
    ASSERT_EQ(0, platform::UdpOpen(&holder));
    int held = 0;
    ASSERT_EQ(0, platform::UdpBindFrom(holder, SsdpSearcher::kFirstPort, &held));

    SsdpSearcher searcher;
    ASSERT_TRUE(searcher.Open());
    EXPECT_GT(searcher.Port(), held);
    // Every port between the held one and the searcher's is taken by someone.
    for (int port = held + 1; port < searcher.Port(); ++port) {
        platform::UdpSocket probe = platform::kNoUdpSocket;
        ASSERT_EQ(0, platform::UdpOpen(&probe));
        int bound = 0;
        EXPECT_EQ(0, platform::UdpBindFrom(probe, port, &bound));
        EXPECT_NE(port, bound);
        platform::UdpClose(probe);
    }

    int port = searcher.Port();
    EXPECT_TRUE(searcher.Open());
    EXPECT_EQ(port, searcher.Port());
    platform::UdpClose(holder);
}

}  // namespace
