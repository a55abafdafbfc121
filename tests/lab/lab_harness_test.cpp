// The lab itself: the process runs in the client namespace, and an
// independent UPnP client (upnpc) finds miniupnpd there for both variants.
#include <gtest/gtest.h>

#include "platform/interfaces.h"
#include "tests/support/lab_router.h"

namespace {

TEST(LabHarness, ProcessSeesOnlyTheClientLan) {
    std::vector<std::string> addresses;
    ASSERT_EQ(0, platform::MulticastInterfaceAddresses(&addresses));
    EXPECT_EQ(std::vector<std::string>{lab::kClientAddress}, addresses);
}

TEST(LabHarness, UpnpcFindsTheRouterInBothVariants) {
    for (const char* variant : {"v1", "v2"}) {
        std::string error;
        ASSERT_TRUE(lab::UseVariant(variant, &error)) << error;
        EXPECT_EQ(variant, lab::CurrentVariant());
        lab::CommandResult listing = lab::RunInClient("upnpc -l");
        EXPECT_NE(std::string::npos,
                  listing.output.find("ExternalIPAddress = " + std::string(lab::kExternalAddress)))
            << variant << ":\n"
            << listing.output << "\nrouter log:\n"
            << lab::RouterLog();

        const std::string service = std::string("WANIPConnection:") + variant[1];
        lab::CommandResult description = lab::RunInClient(
            "bash -c 'exec 3<>/dev/tcp/10.77.0.1/2869 && "
            "printf \"GET /rootDesc.xml HTTP/1.0\\r\\n\\r\\n\" >&3 && "
            "timeout 5 cat <&3'");
        EXPECT_NE(std::string::npos, description.output.find(service)) << description.output;
    }
}

TEST(LabHarness, RestartForgetsMappings) {
    std::string error;
    ASSERT_TRUE(lab::UseVariant("v1", &error)) << error;
    lab::CommandResult add = lab::RunInClient("upnpc -a 10.77.0.2 8080 8080 TCP");
    ASSERT_EQ(
        0,
        lab::RunInRouter("nft list chain inet filter prerouting_miniupnpd | grep -q 8080").status)
        << add.output;
    ASSERT_TRUE(lab::Restart("v1", &error)) << error;
    EXPECT_NE(
        0,
        lab::RunInRouter("nft list chain inet filter prerouting_miniupnpd | grep -q 8080").status);
}

}  // namespace
