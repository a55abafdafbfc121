// SSDP discovery against miniupnpd in the lab: a real multicast search from
// the client namespace and the router's unicast answer.
#include <gtest/gtest.h>

#include "foundation/pump.h"
#include "tests/support/lab_router.h"
#include "upnp/ssdp_searcher.h"

namespace {

constexpr char kPpp[] = "urn:schemas-upnp-org:service:WANPPPConnection:1";
constexpr char kIp[] = "urn:schemas-upnp-org:service:WANIPConnection:1";

// Polls the searcher for up to 3 s and returns the location of the first
// accepted answer for type; results lists every Recv result seen.
std::string AwaitAnswer(SsdpSearcher& searcher, const std::string& type,
                        std::vector<int>* results) {
    for (int waited = 0; waited < 3000; waited += 300) {
        std::string answerType, location;
        int result;
        while ((result = searcher.Recv(&answerType, &location, 0)) != 1) {
            results->push_back(result);
            if (result == 2 && answerType == type) return location;
        }
        PumpSleepFor(300, [&](int ms) { return searcher.AnswerWaiting(ms); });
    }
    return "";
}

class SsdpLabTest : public ::testing::TestWithParam<const char*> {
  protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(lab::UseVariant(GetParam(), &error)) << error;
        ResetSsdpForTests();
    }
};

TEST_P(SsdpLabTest, RouterAnswersTheSearchForBothWanTypes) {
    SsdpSearcher searcher;
    ASSERT_TRUE(searcher.WinsockStartup());
    ASSERT_TRUE(searcher.Open()) << searcher.LastError();
    ASSERT_TRUE(searcher.Search(kPpp)) << searcher.LastError();
    ASSERT_TRUE(searcher.Search(kIp)) << searcher.LastError();

    std::vector<int> results;
    std::string location = AwaitAnswer(searcher, kIp, &results);
    EXPECT_EQ("http://10.77.0.1:2869/rootDesc.xml", location) << "router log:\n"
                                                              << lab::RouterLog();
    EXPECT_EQ(lab::kRouterAddress, glb_RecvFrom);
    EXPECT_NE(std::string::npos, glb_RecvText.find(lab::kRouterAnswerUuid));
    for (int result : results) EXPECT_GE(result, 0) << "no receive error";
    searcher.Close();
}

INSTANTIATE_TEST_SUITE_P(Variants, SsdpLabTest, ::testing::Values("v1", "v2"));

}  // namespace
