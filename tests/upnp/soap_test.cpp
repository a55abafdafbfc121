#include <gtest/gtest.h>

#include <chrono>
#include <pugixml.hpp>
#include <sstream>
#include <vector>

#include "foundation/settings.h"
#include "tests/support/fake_igd.h"
#include "tests/upnp/trace_capture.h"
#include "upnp/soap_envelope.h"
#include "upnp/soap_request.h"

namespace {

const char kIp1[] = "urn:schemas-upnp-org:service:WANIPConnection:1";

SoapArguments AddPortMappingValues(const std::string& description) {
    return {{"NewRemoteHost", ""},
            {"NewExternalPort", "8000"},
            {"NewProtocol", "TCP"},
            {"NewInternalPort", "8000"},
            {"NewInternalClient", "192.168.0.10"},
            {"NewEnabled", "1"},
            {"NewPortMappingDescription", description},
            {"NewLeaseDuration", "0"}};
}

SoapArguments AddPortMappingTypes() {
    return {{"NewRemoteHost", "string"},
            {"NewExternalPort", "ui2"},
            {"NewProtocol", "string"},
            {"NewInternalPort", "ui2"},
            {"NewInternalClient", "string"},
            {"NewEnabled", "ui2"},
            {"NewPortMappingDescription", "string"},
            {"NewLeaseDuration", "ui2"}};
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) lines.push_back(line);
    return lines;
}

TEST(SplitControlUrl, TakesTheUrlApart) {
    const struct {
        const char* url;
        bool ok;
        const char* authority;
        const char* host;
        const char* port;
        const char* path;
    } cases[] = {
        {"http://192.168.0.1:2869/upnp/control/WANIPConn1", true, "192.168.0.1:2869", "192.168.0.1",
         "2869", "/upnp/control/WANIPConn1"},
        {"http://192.168.0.1/ctl/IPConn?x=1", true, "192.168.0.1", "192.168.0.1", "80",
         "/ctl/IPConn?x=1"},
        {"http://192.168.0.1:5000/", true, "192.168.0.1:5000", "192.168.0.1", "5000", "/"},
        {"HTTP://192.168.0.1/ctl", true, "192.168.0.1", "192.168.0.1", "80", "/ctl"},
        {"192.168.0.1/ctl", false, "", "", "", ""},
        // The own exchange speaks HTTP only: no bytes for another protocol.
        {"gopher://127.0.0.1:6379/_SET%20k%20v%0D%0A", false, "", "", "", ""},
        {"https://192.168.0.1/ctl", false, "", "", "", ""},
        {"http://192.168.0.1:2869", false, "", "", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.url);
        ControlUrlParts parts;
        ASSERT_EQ(c.ok, SplitControlUrl(c.url, parts));
        if (!c.ok) continue;
        EXPECT_EQ(c.authority, parts.authority);
        EXPECT_EQ(c.host, parts.host);
        EXPECT_EQ(c.port, parts.port);
        EXPECT_EQ(c.path, parts.path);
    }
}

TEST(MsnEnvelope, TypedAddPortMappingInNameOrder) {
    std::string body = BuildMsnBody(kIp1, "AddPortMapping", AddPortMappingValues("Sluice8000T"),
                                    AddPortMappingTypes(), kSoapTyped);
    const char* dt = " xmlns:dt=\"urn:schemas-microsoft-com:datatypes\" dt:dt=";
    std::string expected =
        std::string("<?xml version=\"1.0\"?>\r\n") +
        "<SOAP-ENV:Envelope xmlns:SOAP-ENV=\"http://schemas.xmlsoap.org/soap/envelope/\" "
        "SOAP-ENV:encodingStyle=\"http://schemas.xmlsoap.org/soap/encoding/\">\r\n" +
        "<SOAP-ENV:Body>\r\n" + "<m:AddPortMapping xmlns:m=\"" + kIp1 + "\">\r\n" + "<NewEnabled" +
        dt + "\"ui2\">1</NewEnabled>\r\n" + "<NewExternalPort" + dt +
        "\"ui2\">8000</NewExternalPort>\r\n" + "<NewInternalClient" + dt +
        "\"string\">192.168.0.10</NewInternalClient>\r\n" + "<NewInternalPort" + dt +
        "\"ui2\">8000</NewInternalPort>\r\n" + "<NewLeaseDuration" + dt +
        "\"ui2\">0</NewLeaseDuration>\r\n" + "<NewPortMappingDescription" + dt +
        "\"string\">Sluice8000T</NewPortMappingDescription>\r\n" + "<NewProtocol" + dt +
        "\"string\">TCP</NewProtocol>\r\n" + "<NewRemoteHost" + dt +
        "\"string\"></NewRemoteHost>\r\n" + "</m:AddPortMapping>\r\n" + "</SOAP-ENV:Body>\r\n" +
        "</SOAP-ENV:Envelope>\r\n";
    EXPECT_EQ(expected, body);
}

TEST(MsnEnvelope, PlainFormDiffersOnlyInArgumentLines) {
    SoapArguments values = AddPortMappingValues("Sluice8000T");
    std::vector<std::string> typed =
        Lines(BuildMsnBody(kIp1, "AddPortMapping", values, AddPortMappingTypes(), kSoapTyped));
    std::vector<std::string> plain =
        Lines(BuildMsnBody(kIp1, "AddPortMapping", values, AddPortMappingTypes(), kSoapPlain));
    ASSERT_EQ(typed.size(), plain.size());
    ASSERT_EQ(15u, plain.size());
    for (size_t i = 0; i < 4; ++i) EXPECT_EQ(typed[i], plain[i]);
    for (size_t i = 12; i < 15; ++i) EXPECT_EQ(typed[i], plain[i]);
    EXPECT_EQ("<NewEnabled>1</NewEnabled>\r", plain[4]);
    EXPECT_EQ("<NewPortMappingDescription>Sluice8000T</NewPortMappingDescription>\r", plain[9]);
    EXPECT_EQ("<NewRemoteHost></NewRemoteHost>\r", plain[11]);
}

TEST(MsnEnvelope, ActionWithoutArguments) {
    std::string body = BuildMsnBody(kIp1, "GetExternalIPAddress", {}, {}, kSoapTyped);
    EXPECT_NE(std::string::npos, body.find(std::string("<m:GetExternalIPAddress xmlns:m=\"") +
                                           kIp1 + "\">\r\n</m:GetExternalIPAddress>\r\n"));
}

TEST(MsnEnvelope, ValuesAreEscapedAndSentAsUtf8) {
    const struct {
        const char* value;
        const char* onWire;
    } cases[] = {
        {"A&B", "A&amp;B"},
        {"</NewPortMappingDescription><NewEnabled>0</NewEnabled>",
         "&lt;/NewPortMappingDescription&gt;&lt;NewEnabled&gt;0&lt;/NewEnabled&gt;"},
        {"say \"hi\"", "say &quot;hi&quot;"},
        {"マイクラ鯖", "\xE3\x83\x9E\xE3\x82\xA4\xE3\x82\xAF\xE3\x83\xA9\xE9\xAF\x96"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.onWire);
        for (int form : {kSoapTyped, kSoapPlain}) {
            std::string body = BuildMsnBody(kIp1, "AddPortMapping", AddPortMappingValues(c.value),
                                            AddPortMappingTypes(), form);
            EXPECT_NE(std::string::npos,
                      body.find(std::string(">") + c.onWire + "</NewPortMappingDescription>\r\n"));
            pugi::xml_document document;
            ASSERT_TRUE(document.load_string(body.c_str()));
            EXPECT_EQ(8u, document.select_nodes("//m:AddPortMapping/*").size());
        }
    }
}

TEST(MsnRequest, HeadForAuthorityWithAndWithoutPort) {
    std::string body = BuildMsnBody(kIp1, "DeletePortMapping", {{"NewProtocol", "UDP"}},
                                    {{"NewProtocol", "string"}}, kSoapTyped);
    const struct {
        const char* url;
        const char* hostLine;
        const char* requestLine;
    } cases[] = {
        {"http://192.168.0.1:2869/upnp/control/WANIPConn1", "Host: 192.168.0.1:2869\r\n",
         "POST /upnp/control/WANIPConn1 HTTP/1.1\r\n"},
        {"http://192.168.0.1/ctl", "Host: 192.168.0.1\r\n", "POST /ctl HTTP/1.1\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.url);
        ControlUrlParts url;
        ASSERT_TRUE(SplitControlUrl(c.url, url));
        std::string request = BuildMsnRequest(url, kIp1, "DeletePortMapping", body);
        std::string expected = std::string(c.requestLine) +
                               "Content-Type: text/xml; charset=\"utf-8\"\r\n" + "SOAPAction: \"" +
                               kIp1 + "#DeletePortMapping\"\r\n" +
                               "User-Agent: Mozilla/4.0 (compatible; UPnP/1.0; Windows 9x)\r\n" +
                               c.hostLine + "Content-Length: " + std::to_string(body.size()) +
                               "\r\n" + "Connection: Close\r\n" + "Pragma: no-cache\r\n\r\n" + body;
        EXPECT_EQ(expected, request);
    }
}

TEST(DomEnvelope, ActionInServiceNamespaceWithEscapedUtf8Values) {
    std::string envelope =
        BuildDomEnvelope(kIp1, "AddPortMapping", AddPortMappingValues("A&B <i>ゲーム</i>"));
    EXPECT_EQ(0u, envelope.find("<?xml version=\"1.0\"?><SOAP-ENV:Envelope"));
    EXPECT_EQ(std::string::npos, envelope.find('\n'));
    EXPECT_EQ(std::string::npos, envelope.find("dt:dt"));
    pugi::xml_document document;
    ASSERT_TRUE(document.load_string(envelope.c_str()));
    pugi::xml_node call =
        document.select_node("/SOAP-ENV:Envelope/SOAP-ENV:Body/m:AddPortMapping").node();
    ASSERT_TRUE(call);
    EXPECT_STREQ(kIp1, call.attribute("xmlns:m").value());
    std::vector<std::string> names;
    for (pugi::xml_node argument : call.children()) names.push_back(argument.name());
    EXPECT_EQ((std::vector<std::string>{
                  "NewEnabled", "NewExternalPort", "NewInternalClient", "NewInternalPort",
                  "NewLeaseDuration", "NewPortMappingDescription", "NewProtocol", "NewRemoteHost"}),
              names);
    EXPECT_STREQ("A&B <i>\xE3\x82\xB2\xE3\x83\xBC\xE3\x83\xA0</i>",
                 call.child("NewPortMappingDescription").text().get());
    EXPECT_NE(std::string::npos, envelope.find("A&amp;B &lt;i&gt;"));
    // An action without arguments is written with an end tag of its own.
    EXPECT_NE(std::string::npos, BuildDomEnvelope(kIp1, "GetExternalIPAddress", {})
                                     .find("></m:GetExternalIPAddress></SOAP-ENV:Body>"));
}

TEST(ResponseValue, FoundByLocalNameInAnyCase) {
    const char* answer =
        "<?xml version=\"1.0\"?>\r\n<s:Envelope xmlns:s=\"http://schemas.xmlsoap.org/soap/"
        "envelope/\"><s:Body><u:GetGenericPortMappingEntryResponse xmlns:u=\"urn:x\">"
        "<NEWEXTERNALIPADDRESS>7.7.7.7</NEWEXTERNALIPADDRESS>"
        "<NewPortMappingDescription>A&amp;B &lt;&#x3042;&#12356;&#0;&bogus; &amp</"
        "NewPortMappingDescription>"
        "<NewLeaseDurationSeconds>60</NewLeaseDurationSeconds>"
        "<u:NewProtocol>TCP</u:NewProtocol><NewEnabled/>"
        "<NewInternalClient>192.168.0.10";
    const struct {
        const char* name;
        const char* expected;
    } cases[] = {
        {"NewExternalIPAddress", "7.7.7.7"},  // letter case ignored
        {"NewPortMappingDescription", "A&B <あい&#0;&bogus; &amp"},
        {"NewLeaseDuration", ""},  // a longer name that only begins with it is another
        {"NewLeaseDurationSeconds", "60"},
        {"NewProtocol", "TCP"},  // with a namespace prefix
        {"newprotocol", "TCP"},
        {"NewEnabled", ""},                          // empty element
        {"GetGenericPortMappingEntryResponse", ""},  // no text before the next tag
        {"NewInternalClient", ""},                   // no "<" after the value
        {"NewRemoteHost", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.expected, FindResponseValue(answer, c.name));
    }
    EXPECT_EQ("", FindResponseValue("", "NewExternalIPAddress"));
}

// A value of a mebibyte of "&" with a ";" only near its end is read in one
// pass, and references in it still count.
TEST(ResponseValue, ValueFullOfAmpersands) {
    std::string amps(1024 * 1024, '&');
    std::string gap(40, ' ');
    std::string answer = "<NewX>" + amps + gap + "&amp;;</NewX>";
    EXPECT_EQ(amps + gap + "&;", FindResponseValue(answer, "NewX"));
    EXPECT_EQ("A=A", FindResponseValue("<v>&#00000065;=&#65;</v>", "v"));
}

// A body of a mebibyte of "<" (a router may send that much) is read in one
// pass; a name that runs into another "<" is read from that "<" on.
TEST(ResponseValue, NamesCutByAnotherOpeningBracket) {
    const std::string many(1024 * 1024, '<');
    const struct {
        const char* what;
        std::string answer;
        const char* expected;
    } cases[] = {
        {"prefix after a stray bracket", "<a<u:NewX>7</u:NewX>", "7"},
        {"name cut by a bracket", "<NewX<y>7</y>", ""},
        {"a mebibyte of brackets, then the element", many + "NewX>7</NewX>", "7"},
        {"a mebibyte of brackets and one end", many + ">", ""},
        {"a mebibyte of brackets only", many, ""},
    };
    auto start = std::chrono::steady_clock::now();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.expected, FindResponseValue(c.answer, "NewX"));
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST(ResponseValue, JapaneseValue) {
    EXPECT_EQ("ゲーム", FindResponseValue("<表>x</表><NewPortMappingDescription>ゲーム</"
                                          "NewPortMappingDescription>",
                                          "NewPortMappingDescription"));
}

// "ゲーム" in UTF-8, as routers write it.
const char kGameUtf8[] = "\xE3\x82\xB2\xE3\x83\xBC\xE3\x83\xA0";

class InvokeTest : public ::testing::Test {
  protected:
    void SetUp() override { ResetSettingsForTests(); }
    void TearDown() override { ResetSettingsForTests(); }
    void SetMode(const char* mode) { glb_Settings.Set(kTransportModeKey, mode); }

    static SoapRequest AddPortMappingRequest(const std::string& description) {
        SoapRequest request(kIp1, "AddPortMapping");
        SoapArguments types = AddPortMappingTypes();
        for (const auto& value : AddPortMappingValues(description)) {
            request.AddArgument(value.first, value.second, types[value.first]);
        }
        return request;
    }
};

// Which transport sent a request, told by its own marks.
enum class Sent { kEx, kMsnTyped, kMsnPlain };

Sent TransportOf(const FakeRequest& request) {
    if (request.Header("SOAPAction").front() != '"') return Sent::kEx;
    return request.body.find("dt:dt=") != std::string::npos ? Sent::kMsnTyped : Sent::kMsnPlain;
}

TEST_F(InvokeTest, EachModeSendsItsRequestAndReadsTheAnswer) {
    const struct {
        const char* mode;
        Sent sent;
    } cases[] = {{"1", Sent::kMsnTyped}, {"2", Sent::kEx}, {"3", Sent::kMsnPlain}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        SetMode(c.mode);
        FakeIgd igd;
        igd.AnswerActions(IgdScenario::kNormal, "AddPortMapping",
                          {{"NewPortMappingDescription", std::string("A&amp;B ") + kGameUtf8}});
        SoapRequest request = AddPortMappingRequest("A&B <b>ゲーム</b>");
        ASSERT_EQ(200, request.Invoke(igd.ControlUrl()));
        EXPECT_EQ("A&B ゲーム", request.GetResponseValue("NewPortMappingDescription"));

        std::vector<FakeRequest> sent = igd.ActionRequests();
        ASSERT_EQ(1u, sent.size());
        EXPECT_EQ(c.sent, TransportOf(sent[0]));
        EXPECT_EQ("POST", sent[0].method);
        EXPECT_EQ(FakeIgd::kControlPath, sent[0].path);
        std::string action = std::string(kIp1) + "#AddPortMapping";
        EXPECT_EQ(c.sent == Sent::kEx ? action : "\"" + action + "\"",
                  sent[0].Header("SOAPAction"));
        EXPECT_NE(std::string::npos, sent[0].Header("Content-Type").find("text/xml"));
        // The router gets well-formed UTF-8 with the value intact.
        pugi::xml_document document;
        ASSERT_TRUE(document.load_string(sent[0].body.c_str()));
        pugi::xml_node call = document.select_node("//m:AddPortMapping").node();
        EXPECT_STREQ(kIp1, call.attribute("xmlns:m").value());
        EXPECT_EQ(std::string("A&B <b>") + kGameUtf8 + "</b>",
                  call.child_value("NewPortMappingDescription"));
        EXPECT_EQ(8u, document.select_nodes("//m:AddPortMapping/*").size());
    }
}

TEST_F(InvokeTest, AutomaticModeTriesTheTransportsInTurn) {
    const struct {
        const char* mode;
        int failures;
        int result;
        std::vector<Sent> sent;
    } cases[] = {
        {"0", 0, 200, {Sent::kEx}},
        {"0", 1, 200, {Sent::kEx, Sent::kMsnTyped}},
        {"", 2, 200, {Sent::kEx, Sent::kMsnTyped, Sent::kMsnPlain}},
        {"7", 3, 500, {Sent::kEx, Sent::kMsnTyped, Sent::kMsnPlain}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("mode '") + c.mode + "' failures " + std::to_string(c.failures));
        SetMode(c.mode);
        FakeIgd igd;
        for (int i = 0; i < c.failures; ++i) {
            igd.QueueAnswer(IgdScenario::kErrorStatus, "GetExternalIPAddress", {});
        }
        SoapRequest request(kIp1, "GetGenericPortMappingEntry");
        request.AddArgument("NewPortMappingIndex", "0", "ui2");
        EXPECT_EQ(c.result, request.Invoke(igd.ControlUrl()));
        std::vector<Sent> sent;
        for (const FakeRequest& r : igd.ActionRequests()) sent.push_back(TransportOf(r));
        EXPECT_EQ(c.sent, sent);
        // The response text is that of the last attempt.
        std::string last = c.result == 200 ? FakeIgd::kExternalAddress : "UPnPError";
        EXPECT_NE(std::string::npos, request.ResponseText().find(last));
    }
}

TEST_F(InvokeTest, ArgumentsAreReplacedAndCleared) {
    SetMode("3");
    FakeIgd igd;
    SoapRequest request(kIp1, "DeletePortMapping");
    request.AddArgument("NewProtocol", "TCP", "string");
    request.AddArgument("NewProtocol", "UDP", "string");
    request.AddArgument("NewExternalPort", "8000", "ui2");
    ASSERT_EQ(200, request.Invoke(igd.ControlUrl()));
    request.ClearArguments();
    request.SetAction(kIp1, "GetExternalIPAddress");
    ASSERT_EQ(200, request.Invoke(igd.ControlUrl()));
    std::vector<FakeRequest> sent = igd.ActionRequests();
    ASSERT_EQ(2u, sent.size());
    EXPECT_NE(std::string::npos,
              sent[0].body.find("<NewExternalPort>8000</NewExternalPort>\r\n"
                                "<NewProtocol>UDP</NewProtocol>\r\n</m:DeletePortMapping>"));
    EXPECT_NE(std::string::npos, sent[1].body.find("\">\r\n</m:GetExternalIPAddress>"));
}

TEST_F(InvokeTest, UnusableControlUrlOrRouterFails) {
    SoapRequest request(kIp1, "GetExternalIPAddress");
    EXPECT_EQ(-1, request.InvokeMsn("192.168.0.1:2869/ctl", kSoapTyped));
    EXPECT_EQ(-1, request.InvokeMsn("http://192.168.0.1:2869", kSoapPlain));

    std::string closed;
    {
        FakeHttpServer server;
        closed = server.Url("/ctl");
    }
    TraceCapture trace;
    EXPECT_EQ(-1, request.InvokeMsn(closed, kSoapTyped));
    // The request object gives up after three restarts.
    EXPECT_EQ(-1, request.InvokeEX(closed));
    std::string log = trace.Text();
    size_t starts = 0;
    for (size_t at = log.find("InvokeEX() S"); at != std::string::npos;
         at = log.find("InvokeEX() S", at + 1)) {
        ++starts;
    }
    EXPECT_EQ(4u, starts);
}

size_t ExStarts(const TraceCapture& trace) {
    std::string log = trace.Text();
    size_t starts = 0;
    for (size_t at = log.find("InvokeEX() S"); at != std::string::npos;
         at = log.find("InvokeEX() S", at + 1)) {
        ++starts;
    }
    return starts;
}

// The request object starts again only after an attempt that failed at once:
// a router that is slow to fail costs one attempt, and a URL it must not
// fetch costs none.
TEST_F(InvokeTest, RequestObjectRestartsOnlyAfterQuickFailures) {
    SoapRequest request(kIp1, "GetExternalIPAddress");
    FakeHttpServer quick;
    quick.SetDefault(FakeAnswer::Raw(""));
    EXPECT_EQ(0, request.InvokeEX(quick.Url("/ctl")));
    EXPECT_EQ(4, quick.ConnectionCount());

    FakeHttpServer slow;
    FakeAnswer late = FakeAnswer::Raw("");
    late.delayMs = 1500;
    slow.SetDefault(late);
    EXPECT_EQ(0, request.InvokeEX(slow.Url("/ctl")));
    EXPECT_EQ(1, slow.ConnectionCount());

    FakeHttpServer service;
    TraceCapture trace;
    EXPECT_EQ(-1, request.InvokeEX("gopher://127.0.0.1:" + service.PortText() + "/_SET%20k%20v"));
    EXPECT_EQ(-1, request.InvokeEX("http://[::1"));
    EXPECT_EQ(2u, ExStarts(trace));
    EXPECT_EQ(-1,
              request.InvokeMsn("gopher://127.0.0.1:" + service.PortText() + "/_x", kSoapTyped));
    EXPECT_EQ(0, service.ConnectionCount());
}

}  // namespace
