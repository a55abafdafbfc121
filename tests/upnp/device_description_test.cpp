#include "upnp/device_description.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "tests/support/fake_http_server.h"
#include "tests/support/fake_igd.h"
#include "tests/upnp/trace_capture.h"

namespace {

const char kIp1[] = "urn:schemas-upnp-org:service:WANIPConnection:1";
const char kPpp1[] = "urn:schemas-upnp-org:service:WANPPPConnection:1";

std::string Fixture(const std::string& name) {
    std::ifstream file(std::string(UPNP_TEST_DATA) + "/" + name, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

class DescriptionTest : public ::testing::Test {
  protected:
    void SetUp() override { ResetDeviceDescriptionForTests(); }
    void TearDown() override { ResetDeviceDescriptionForTests(); }
};

struct ControlUrlCase {
    const char* fixture;
    const char* location;
    const char* serviceType;
    const char* expected;
};

TEST_F(DescriptionTest, ControlUrlFromRouterDescriptions) {
    const ControlUrlCase cases[] = {
        // URLBase (indented) wins over the location's port.
        {"igd_v1_ip_urlbase.xml", "http://192.168.0.1:5431/dyndev/uuid:4f1a", kIp1,
         "http://192.168.0.1:2869/upnp/control/WANIPConn1"},
        {"igd_v1_ip_urlbase.xml", "http://192.168.0.1:5431/dyndev/uuid:4f1a", kPpp1, ""},
        // Without URLBase the location gives scheme, host and port.
        {"igd_v1_ppp.xml", "http://192.168.1.1:49000/igddesc.xml", kPpp1,
         "http://192.168.1.1:49000/upnp/control/WANPPPConn1"},
        {"igd_v1_ppp.xml", "http://192.168.1.1:49000/igddesc.xml", kIp1, ""},
        {"igd_v2.xml", "http://192.168.10.1:5000/rootDesc.xml", kWanIpConnectionV2,
         "http://192.168.10.1:5000/ctl/IPConn"},
        // An IGDv2 router is not found under the version 1 name: comparison is exact.
        {"igd_v2.xml", "http://192.168.10.1:5000/rootDesc.xml", kIp1, ""},
        {"igd_v1_ip_urlbase.xml", "http://192.168.0.1:5431/desc.xml",
         "urn:schemas-upnp-org:service:wanipconnection:1", ""},
        {"igd_v1_ip_urlbase.xml", "http://192.168.0.1:5431/desc.xml",
         "urn:schemas-upnp-org:service:WANIPConnection", ""},
    };
    for (const ControlUrlCase& c : cases) {
        SCOPED_TRACE(std::string(c.fixture) + " " + c.serviceType);
        EXPECT_EQ(c.expected,
                  ControlUrlFromDescription(Fixture(c.fixture), c.location, c.serviceType));
    }
}

TEST_F(DescriptionTest, ModelValuesAreTrimmedAndEmptiedForEachDescription) {
    ControlUrlFromDescription(Fixture("igd_v1_ip_urlbase.xml"),
                              "http://192.168.0.1:5431/dyndev/uuid:4f1a", kIp1);
    EXPECT_EQ("光ブロードバンドルーター", glb_ModelDescription);  // CP932, tabs gone
    EXPECT_EQ("HG-300", glb_ModelName);
    EXPECT_EQ("HG-300 Ver.2.14", glb_ModelNumber);
    EXPECT_EQ("http://www.example.jp/products/hg300/", glb_ModelURL);
    EXPECT_EQ("Kawase Networks", glb_Manufacturer);
    EXPECT_EQ("http://192.168.0.1:5431/dyndev/uuid:4f1a", glb_Location);
    EXPECT_EQ("192.168.0.1", glb_RouterHost);

    // The PPP router's description has neither modelDescription nor modelURL:
    // nothing of the first router may show up as this one's.
    ControlUrlFromDescription(Fixture("igd_v1_ppp.xml"), "http://192.168.1.1:49000/igddesc.xml",
                              kPpp1);
    EXPECT_EQ("", glb_ModelDescription);
    EXPECT_EQ("", glb_ModelURL);
    EXPECT_EQ("MR-54PPP", glb_ModelName);
    EXPECT_EQ("54", glb_ModelNumber);
    EXPECT_EQ("Hoshino Denki", glb_Manufacturer);
    EXPECT_EQ("192.168.1.1", glb_RouterHost);
}

TEST_F(DescriptionTest, MissingServiceLeavesValuesAndTracesTheQuery) {
    TraceCapture trace;
    glb_Location = "http://earlier/";
    EXPECT_EQ("", ControlUrlFromDescription(Fixture("igd_v1_ppp.xml"),
                                            "http://192.168.1.1:49000/igddesc.xml", kIp1));
    EXPECT_TRUE(trace.Has("GetControlURL() selectSingleNode error: ",
                          std::string("//service[serviceType=\"") + kIp1 + "\"]/controlURL", 0));
    EXPECT_EQ("http://earlier/", glb_Location);
    EXPECT_EQ("", glb_ModelName);
}

TEST_F(DescriptionTest, UnusualDescriptions) {
    const struct {
        const char* description;
        const char* expected;
    } cases[] = {
        // An absolute control URL stays as it is, whatever the base.
        {"<root><URLBase>http://10.0.0.1:80/</URLBase><device><serviceList><service>"
         "<serviceType>urn:schemas-upnp-org:service:WANIPConnection:1</serviceType>"
         "<controlURL>http://10.0.0.138:2048/etc/linuxigd/gateconnSCPD.ctl</controlURL>"
         "</service></serviceList></device></root>",
         "http://10.0.0.138:2048/etc/linuxigd/gateconnSCPD.ctl"},
        // A control URL without a leading slash goes below the location's folder.
        {"<root><device><serviceList><service>"
         "<serviceType>urn:schemas-upnp-org:service:WANIPConnection:1</serviceType>"
         "<controlURL>ctl/ipconn</controlURL></service></serviceList></device></root>",
         "http://192.168.2.1:80/igd/ctl/ipconn"},
        // An empty URLBase is no base.
        {"<root><URLBase>  </URLBase><device><serviceList><service>"
         "<serviceType>urn:schemas-upnp-org:service:WANIPConnection:1</serviceType>"
         "<controlURL>/ipc</controlURL></service></serviceList></device></root>",
         "http://192.168.2.1:80/ipc"},
        // An empty control URL is none.
        {"<root><device><serviceList><service>"
         "<serviceType>urn:schemas-upnp-org:service:WANIPConnection:1</serviceType>"
         "<controlURL> </controlURL></service></serviceList></device></root>",
         ""},
        {"<html><body>Not Found</body>", ""},
        {"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.description);
        EXPECT_EQ(c.expected,
                  ControlUrlFromDescription(c.description, "http://192.168.2.1:80/igd/desc", kIp1));
    }
}

std::string Nested(int depth, const std::string& text) {
    std::string nested;
    nested.reserve(depth * 7 + text.size());
    for (int i = 0; i < depth; ++i) nested += "<a>";
    nested += text;
    for (int i = 0; i < depth; ++i) nested += "</a>";
    return nested;
}

// Elements nested 90,000 deep in the control URL or a model value, as any
// device on the LAN may describe itself: read without overflowing the stack.
TEST_F(DescriptionTest, DeeplyNestedDescriptionIsRead) {
    std::string nested = Fixture("nested_90000.xml");
    ASSERT_GT(nested.size(), 600000u);
    EXPECT_EQ("http://192.168.2.1:80/ctl/IPConn",
              ControlUrlFromDescription(nested, "http://192.168.2.1:80/desc.xml", kIp1));
    EXPECT_EQ("DN-1", glb_ModelName);

    std::string deepModel =
        "<root><device><modelName>" + Nested(90000, "DN-2") +
        "</modelName><serviceList><service><serviceType>" + kIp1 +
        "</serviceType><controlURL>/c</controlURL></service></serviceList></device></root>";
    EXPECT_EQ("http://192.168.2.1:80/c",
              ControlUrlFromDescription(deepModel, "http://192.168.2.1:80/desc.xml", kIp1));
    EXPECT_EQ("DN-2", glb_ModelName);

    FakeHttpServer router;
    router.Route("GET", "/desc.xml", FakeAnswer::Http(200, nested));
    EXPECT_EQ(router.Url("/ctl/IPConn"), GetControlURL(router.Url("/desc.xml").c_str(), kIp1));
}

// A LOCATION (or a redirect) from the LAN must not make the program read
// files or send raw bytes to a local service: only plain HTTP is fetched, and
// a redirect is not followed.
TEST_F(DescriptionTest, OnlyHttpLocationsAreFetched) {
    FakeHttpServer service;  // stands for a local service such as a key store
    FakeIgd igd;
    FakeHttpServer redirecting;
    redirecting.SetDefault(FakeAnswer::Http(302, "", "Location: " + igd.Location() + "\r\n"));
    std::string port = service.PortText();
    const std::string locations[] = {
        "gopher://127.0.0.1:" + port + "/_SET%20k%20v%0D%0AQUIT%0D%0A",
        "dict://127.0.0.1:" + port + "/info",
        "ftp://127.0.0.1:" + port + "/desc.xml",
        "file:///dev/zero",
        "file:///etc/hostname",
        redirecting.Url("/desc.xml"),
    };
    for (const std::string& location : locations) {
        SCOPED_TRACE(location);
        EXPECT_EQ("", GetControlURL(location.c_str(), kIp1));
    }
    EXPECT_EQ(0, service.ConnectionCount());
    EXPECT_TRUE(igd.Server().Requests().empty());
}

// No router's description comes near 1 MiB: a longer one is broken, whether
// its length is announced or not.
TEST_F(DescriptionTest, DescriptionOverOneMebibyteIsRefused) {
    std::string description = DescriptionXml(kIp1, "/ctl");
    std::string padding = "<!--" + std::string(1024 * 1024, 'p') + "-->";
    std::string tooLong = description;
    tooLong.insert(tooLong.find("<root"), padding);
    FakeHttpServer router;
    router.Route("GET", "/long.xml", FakeAnswer::Http(200, tooLong));
    router.Route("GET", "/unannounced.xml", FakeAnswer::Raw("HTTP/1.0 200 OK\r\n\r\n" + tooLong));
    router.Route("GET", "/normal.xml", FakeAnswer::Raw("HTTP/1.0 200 OK\r\n\r\n" + description));
    EXPECT_EQ("", GetControlURL(router.Url("/long.xml").c_str(), kIp1));
    EXPECT_EQ("", GetControlURL(router.Url("/unannounced.xml").c_str(), kIp1));
    EXPECT_EQ(router.Url("/ctl"), GetControlURL(router.Url("/normal.xml").c_str(), kIp1));
}

TEST(CombineUrl, ResolvesLikeABrowser) {
    const struct {
        const char* base;
        const char* reference;
        const char* expected;
    } cases[] = {
        {"http://192.168.0.1:2869/desc/root.xml", "/upnp/control/WANIPConn1",
         "http://192.168.0.1:2869/upnp/control/WANIPConn1"},
        {"http://192.168.0.1:2869", "upnp/ctl", "http://192.168.0.1:2869/upnp/ctl"},
        {"http://192.168.0.1:2869/a/b.xml", "../ctl?x=1", "http://192.168.0.1:2869/ctl?x=1"},
        {"http://192.168.0.1/", "http://192.168.0.9:5000/ctl", "http://192.168.0.9:5000/ctl"},
        {"192.168.0.1/desc.xml", "/ctl", ""},
        {"", "/ctl", ""},
        {"http://192.168.0.1/", "/bad path", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.base) + " + " + c.reference);
        EXPECT_EQ(c.expected, CombineUrl(c.base, c.reference));
    }
}

class ReadXmlTextTest : public ::testing::Test {
  protected:
    void TearDown() override { std::remove(path_.c_str()); }
    const char* Write(const std::string& bytes) {
        std::ofstream(path_, std::ios::binary) << bytes;
        return path_.c_str();
    }
    std::string path_ = ::testing::TempDir() + "read_xml_text.xml";
};

TEST_F(ReadXmlTextTest, ReadsTheFirstMatchingNode) {
    const struct {
        std::string file;
        const char* expression;
        const char* expected;
    } cases[] = {
        {"<config><net>\n  <port>\n\t27015 </port></net><port>1</port></config>", "//net/port",
         "27015"},
        {"<config><server port=\"7777\" name=\"a\"/></config>", "//server/@port", "7777"},
        {"<config><server><port>8000</port></server></config>", "//server", "8000"},
        {"<config><name>Sample</name></config>", "//port", ""},
        {"<config><port>80</port></config>", "//port[", ""},
        {"<config><port>80</config>", "//port", ""},
        // Japanese text in a UTF-8 file comes back as CP932.
        {"<?xml version=\"1.0\" encoding=\"UTF-8\"?><c><\xE5\x90\x8D\xE5\x89\x8D>"
         "\xE3\x82\xB5\xE3\x83\xBC\xE3\x83\x90</\xE5\x90\x8D\xE5\x89\x8D></c>",
         "//名前", "サーバ"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expression);
        std::string text = "stale";
        ReadXmlText(Write(c.file), c.expression, text);
        EXPECT_EQ(c.expected, text);
    }
}

TEST_F(ReadXmlTextTest, ShiftJisFileAndMissingFile) {
    // The file's bytes are CP932 as its declaration says.
    std::string text;
    ReadXmlText(Write("<?xml version=\"1.0\" encoding=\"Shift_JIS\"?><c><n>ゲーム鯖</n></c>"),
                "//n", text);
    EXPECT_EQ("ゲーム鯖", text);
    text = "stale";
    ReadXmlText("/nonexistent/folder/server.xml", "//n", text);
    EXPECT_EQ("", text);
}

}  // namespace

namespace {

class FetchedDescriptionTest : public ::testing::TestWithParam<IgdScenario> {
  protected:
    void SetUp() override { ResetDeviceDescriptionForTests(); }
    void TearDown() override { ResetDeviceDescriptionForTests(); }
};

TEST_P(FetchedDescriptionTest, ControlUrlOrTracedFailure) {
    IgdScenario scenario = GetParam();
    FakeIgd igd(kIp1, scenario);
    TraceCapture trace;
    std::string controlUrl = GetControlURL(igd.Location().c_str(), kIp1);
    if (ScenarioDelivers(scenario)) {
        EXPECT_EQ(igd.ControlUrl(), controlUrl);
        EXPECT_EQ(igd.Location(), glb_Location);
        EXPECT_EQ("127.0.0.1", glb_RouterHost);
        EXPECT_EQ("FakeIgd", glb_ModelName);
        return;
    }
    EXPECT_EQ("", controlUrl);
    EXPECT_EQ("", glb_Location);
    if (scenario == IgdScenario::kErrorStatus) {
        EXPECT_TRUE(trace.Has("GetControlURL() http-GET http-status error: ", igd.Location(), 404));
    }
    if (scenario == IgdScenario::kMissingElements) {
        EXPECT_TRUE(trace.Has("GetControlURL() selectSingleNode error: ",
                              std::string("//service[serviceType=\"") + kIp1 + "\"]/controlURL",
                              0));
    }
}

INSTANTIATE_TEST_SUITE_P(Scenarios, FetchedDescriptionTest,
                         ::testing::Values(IgdScenario::kNormal, IgdScenario::kErrorStatus,
                                           IgdScenario::kMissingElements, IgdScenario::kLfOnlyHeads,
                                           IgdScenario::kNoContentLength, IgdScenario::kSplitHead,
                                           IgdScenario::kSlow, IgdScenario::kSilent,
                                           IgdScenario::kChunked),
                         [](const ::testing::TestParamInfo<IgdScenario>& info) {
                             return ScenarioName(info.param);
                         });

TEST_F(DescriptionTest, IgdV2RouterIsFoundUnderItsOwnServiceType) {
    FakeIgd igd(kWanIpConnectionV2);
    EXPECT_EQ(igd.ControlUrl(), GetControlURL(igd.Location().c_str(), kWanIpConnectionV2));
    EXPECT_EQ("", GetControlURL(igd.Location().c_str(), kIp1));
}

TEST_F(DescriptionTest, RouterThatIsGoneGivesEmptyResultWithoutTrace) {
    std::string location;
    {
        FakeIgd igd;
        location = igd.Location();
    }
    TraceCapture trace;
    EXPECT_EQ("", GetControlURL(location.c_str(), kIp1));
    EXPECT_EQ(std::string::npos, trace.Text().find("GetControlURL()"));
}

TEST_F(DescriptionTest, ProxyInEnvironmentIsNotUsedForTheRouter) {
    FakeIgd igd;
    // A proxy that refuses every connection.
    setenv("http_proxy", "http://127.0.0.1:9", 1);
    setenv("HTTP_PROXY", "http://127.0.0.1:9", 1);
    std::string controlUrl = GetControlURL(igd.Location().c_str(), kIp1);
    unsetenv("http_proxy");
    unsetenv("HTTP_PROXY");
    EXPECT_EQ(igd.ControlUrl(), controlUrl);
}

}  // namespace
