// The IGD session and the port-mapping actions against a real miniupnpd in
// the lab: every case starts the session afresh by SSDP search, opens ports
// for the client, reads them back from the router's table and closes them,
// for an IGDv1 and an IGDv2 router in every transport mode. The router's own
// view is checked independently with upnpc in the client namespace.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "foundation/settings.h"
#include "tests/support/lab_router.h"
#include "upnp/device_description.h"
#include "upnp/igd_session.h"
#include "upnp/port_mapping.h"
#include "upnp/soap_request.h"
#include "upnp/ssdp_searcher.h"

namespace {

constexpr char kPpp1[] = "urn:schemas-upnp-org:service:WANPPPConnection:1";
constexpr char kAllPorts[] = "8000-8002,8010,8011";

void ResetSession() {
    ResetIgdSessionForTests();
    ResetPortMappingForTests();
    ResetDeviceDescriptionForTests();
    ResetSsdpForTests();
    ResetSettingsForTests();
}

// The router's table as upnpc lists it (UTF-8).
std::string RouterList() {
    return lab::RunInClient("upnpc -u http://10.77.0.1:2869/rootDesc.xml -l").output;
}

// The mapping record for port without its last field (the lease, which
// miniupnpd fills with its own limit for a permanent mapping), or "(none)".
std::string RecordOf(const std::string& port) {
    for (int i = 0; i < glb_MappingEntries.Count(); ++i) {
        std::string record = glb_MappingEntries.GetAt(i);
        if (record.compare(0, port.size() + 2, "\t" + port + "\t") == 0) {
            return record.substr(0, record.rfind('\t'));
        }
    }
    return "(none)";
}

class PortMappingLabTest : public ::testing::TestWithParam<std::tuple<std::string, int>> {
  protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(lab::UseVariant(std::get<0>(GetParam()), &error)) << error;
        ResetSession();
        glb_Settings.SetInt(kTransportModeKey, std::get<1>(GetParam()));
    }
    void TearDown() override {
        if (glb_IgdState == 1) DeletePortMapping(kAllPorts, "TCP");
        ResetSession();
    }
};

TEST_P(PortMappingLabTest, OpenListAndCloseThroughTheSession) {
    ASSERT_EQ(0, AddPortMapping("8000-8002", "TCP", "8000-8002", lab::kClientAddress, "Lab"))
        << glb_IgdMessage << "\nrouter log:\n"
        << lab::RouterLog();
    EXPECT_EQ(1, glb_IgdState);
    EXPECT_EQ(lab::kExternalAddress, glb_WanIP);
    // miniupnpd answers the PPP search too, which goes out first; its
    // description has only the IP service, whose control URL then serves.
    EXPECT_EQ(kPpp1, glb_ServiceType) << "the type the SSDP answer named";
    EXPECT_EQ(std::string("http://") + lab::kRouterAddress + ":" + std::to_string(lab::kUpnpPort) +
                  "/rootDesc.xml",
              glb_Location);
    ASSERT_EQ(0, AddPortMapping("8010", "TCP", "8010", lab::kClientAddress, "ウェブ"));
    ASSERT_EQ(0, AddPortMapping("8011", "TCP", "8011", lab::kClientAddress, "A&B<x>"));

    ASSERT_EQ(5, GetMappingEntries()) << lab::RouterLog();
    for (const char* port : {"8000", "8001", "8002"}) {
        EXPECT_EQ(std::string("\t") + port + "\tTCP\t" + port + "\t10.77.0.2\t1\tLab" + port + "T",
                  RecordOf(port));
    }
    EXPECT_EQ("\t8010\tTCP\t8010\t10.77.0.2\t1\tウェブ8010T", RecordOf("8010"));
    EXPECT_EQ("\t8011\tTCP\t8011\t10.77.0.2\t1\tA&B<x>8011T", RecordOf("8011"));

    std::string routerList = RouterList();
    for (const char* mapping :
         {"8000->10.77.0.2:8000", "8001->10.77.0.2:8001", "8002->10.77.0.2:8002", "'Lab8000T'",
          "'Lab8002T'", u8"'ウェブ8010T'",
          // upnpc prints the router's XML text undecoded: the
          // router holds the description unharmed, escaped once.
          "'A&amp;B&lt;x&gt;8011T'"}) {
        EXPECT_NE(std::string::npos, routerList.find(mapping)) << mapping << "\n" << routerList;
    }

    EXPECT_EQ(0, DeletePortMapping(kAllPorts, "TCP")) << glb_IgdMessage;
    EXPECT_EQ(0, GetMappingEntries());
    routerList = RouterList();
    EXPECT_EQ(std::string::npos, routerList.find("10.77.0.2:80")) << routerList;
}

std::string CaseName(const ::testing::TestParamInfo<std::tuple<std::string, int>>& info) {
    return std::get<0>(info.param) + "_Mode" + std::to_string(std::get<1>(info.param));
}

INSTANTIATE_TEST_SUITE_P(VariantsAndModes, PortMappingLabTest,
                         ::testing::Combine(::testing::Values("v1", "v2"),
                                            ::testing::Values(0, 1, 2, 3)),
                         CaseName);

class SessionLabTest : public ::testing::TestWithParam<std::string> {
  protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(lab::UseVariant(GetParam(), &error)) << error;
        ResetSession();
    }
    void TearDown() override { ResetSession(); }
};

TEST_P(SessionLabTest, DesignationByUuidOrAddressSelectsTheRouter) {
    const char* designations[] = {lab::kRouterAnswerUuid, "10.77.0.1:2869", "10.77.0.3:2869"};
    for (const char* designation : designations) {
        SCOPED_TRACE(designation);
        ResetSession();
        glb_Settings.Set(kDeviceDesignationKey, designation);
        UPnpInit();
        if (std::string(designation) == "10.77.0.3:2869") {
            EXPECT_EQ(-1, glb_IgdState);
            EXPECT_EQ("IGDエラー3(ルーター反応なし)", glb_IgdMessage);
        } else {
            EXPECT_EQ(1, glb_IgdState) << glb_IgdMessage << "\n" << lab::RouterLog();
            EXPECT_EQ("IGD検出OK", glb_IgdMessage);
            EXPECT_EQ(lab::kExternalAddress, glb_WanIP);
        }
    }
}

TEST_P(SessionLabTest, DeviceSearchListsTheRouterOnce) {
    SearchDevices();
    std::string location = std::string("http://") + lab::kRouterAddress + ":" +
                           std::to_string(lab::kUpnpPort) + "/rootDesc.xml";
    EXPECT_EQ("■■■【機器1】■■■\r\n型番:" + glb_ModelDescription +
                  "\r\nuuid:" + lab::kRouterAnswerUuid + "\r\nUPnP:" + location +
                  "\r\nﾙｰﾀｰ:http://10.77.0.1/\r\nWAN :7.7.7.7\r\n"
                  "\r\n\r\n------------------------\r\n⑭の変更は特に必要ありません\r\n",
              glb_DeviceListText)
        << lab::RouterLog();
    EXPECT_EQ("", glb_ChosenDevice);
    EXPECT_EQ(1, glb_IgdState);
}

INSTANTIATE_TEST_SUITE_P(Variants, SessionLabTest, ::testing::Values("v1", "v2"));

}  // namespace
