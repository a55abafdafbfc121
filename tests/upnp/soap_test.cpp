#include <gtest/gtest.h>

#include <pugixml.hpp>
#include <sstream>
#include <vector>

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
        {"192.168.0.1/ctl", false, "", "", "", ""},
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

TEST(ResponseValue, FoundByPlainTextSearch) {
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
        {"NewLeaseDuration", "60"},  // a longer name that begins with it
        {"NewProtocol", ""},         // a namespace prefix hides it
        {"NewEnabled", ""},
        {"NewInternalClient", ""},  // no "<" after the value
        {"NewRemoteHost", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.expected, FindResponseValue(answer, c.name));
    }
    EXPECT_EQ("", FindResponseValue("", "NewExternalIPAddress"));
}

TEST(ResponseValue, JapaneseValue) {
    EXPECT_EQ("ゲーム", FindResponseValue("<表>x</表><NewPortMappingDescription>ゲーム</"
                                          "NewPortMappingDescription>",
                                          "NewPortMappingDescription"));
}

}  // namespace
