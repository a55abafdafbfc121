// The router's reason for refusing an action: the UPnP error read from the
// SOAP fault however the router writes it, and the explanation of each code.
#include "upnp/soap_fault.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/support/fake_igd.h"

namespace {

std::string Fault(const std::string& prefix, const std::string& code,
                  const std::string& description) {
    return "<?xml version=\"1.0\"?><s:Envelope xmlns:s=\"http://schemas.xmlsoap.org/soap/"
           "envelope/\"><s:Body><s:Fault><faultcode>s:Client</faultcode><faultstring>UPnPError"
           "</faultstring><detail><" +
           prefix + "UPnPError xmlns" + (prefix.empty() ? "" : ":u") +
           "=\"urn:schemas-upnp-org:control-1-0\"><" + prefix + "errorCode>" + code + "</" +
           prefix + "errorCode><" + prefix + "errorDescription>" + description + "</" + prefix +
           "errorDescription></" + prefix + "UPnPError></detail></s:Fault></s:Body></s:Envelope>";
}

TEST(SoapFaultTest, ReadsTheErrorHoweverTheRouterWritesIt) {
    struct Case {
        const char* what;
        std::string body;
        bool found;
        int code;
        std::string description;
    };
    const Case cases[] = {
        {"default namespace", SoapFaultBody(718, "ConflictInMappingEntry"), true, 718,
         "ConflictInMappingEntry"},
        {"prefixed names", Fault("u:", "606", "Action not authorized"), true, 606,
         "Action not authorized"},
        {"blanks around the code", Fault("", " \r\n 725\t", "OnlyPermanentLeasesSupported"), true,
         725, "OnlyPermanentLeasesSupported"},
        {"entities decoded", Fault("", "402", "Invalid &amp; Args"), true, 402, "Invalid & Args"},
        {"control characters removed", Fault("", "501", "Bad\x1b[2J\r\nthing\x7f"), true, 501,
         "Bad[2Jthing"},
        {"cut short body", "<s:Fault><detail><UPnPError><errorCode>714</errorCode><errorDesc", true,
         714, ""},
        {"no fault", SoapResponseBody("urn:x", "AddPortMapping", {}), false, 0, ""},
        {"not a number", Fault("", "71a", "x"), false, 0, ""},
        {"too long a number", Fault("", "71800", "x"), false, 0, ""},
        {"empty body", "", false, 0, ""},
        {"not XML", "Internal Server Error", false, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SoapFault fault;
        EXPECT_EQ(c.found, ReadSoapFault(c.body, fault));
        EXPECT_EQ(c.code, fault.code);
        EXPECT_EQ(c.description, fault.description);
    }
}

TEST(SoapFaultTest, AHugeDescriptionStaysOneShortLine) {
    SoapFault fault;
    std::string japanese;
    for (int i = 0; i < 300; ++i) japanese += "\xe8\xa1\xa8";  // 表 in UTF-8
    ASSERT_TRUE(ReadSoapFault(Fault("", "501", japanese), fault));
    EXPECT_LE(fault.description.size(), 200u);
    EXPECT_EQ(0u, fault.description.size() % 2) << "cut between the bytes of a character";
}

TEST(SoapFaultTest, EveryCodeTheRoutersUseHasItsExplanation) {
    struct Case {
        int code;
        const char* name;
        const char* advice;  // a piece of the explanation
    };
    const Case cases[] = {
        {402, "Invalid Args", "ポート番号、プロトコル、LAN IPを確認"},
        {501, "Action Failed", "ルーターを再起動"},
        {606, "Action not authorized", "UPnPは読み取り専用"},
        {713, "SpecifiedArrayIndexInvalid", "一覧の終わり"},
        {714, "NoSuchEntryInArray", "すでに閉じられています"},
        {715, "WildCardNotPermittedInSrcIP", "接続元アドレスの省略"},
        {716, "WildCardNotPermittedInExtPort", "WANポートを指定してください"},
        {718, "ConflictInMappingEntry", "別のコンピューター（別のLANアドレス）に割り当て済み"},
        {724, "SamePortValuesRequired", "③LANポートを①WANポートと同じに"},
        {725, "OnlyPermanentLeasesSupported", "期限なし（永続）のマッピングしか"},
        {726, "RemoteHostOnlySupportsWildcard", "接続元アドレスの指定を受け付けません"},
        {727, "ExternalPortOnlySupportsWildcard", "WANポートの指定を受け付けません"},
        {728, "NoPortMapsAvailable", "満杯"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        EXPECT_STREQ(c.name, UpnpErrorName(c.code));
        EXPECT_NE(nullptr, std::strstr(UpnpErrorAdvice(c.code), c.advice));
        EXPECT_EQ(
            " UPnPエラー" + std::to_string(c.code) + " " + c.name + ": " + UpnpErrorAdvice(c.code),
            FaultExplanation(SoapFaultBody(c.code, "router's own words")));
    }
}

TEST(SoapFaultTest, AnUnknownCodeShowsTheRoutersDescription) {
    EXPECT_STREQ("", UpnpErrorName(899));
    EXPECT_STREQ("", UpnpErrorAdvice(899));
    EXPECT_EQ(" UPnPエラー899 Vendorthing", FaultExplanation(Fault("", "899", "Vendor\tthing")))
        << "tab is a control character";
    EXPECT_EQ(" UPnPエラー899", FaultExplanation(Fault("", "899", "")));
    EXPECT_EQ("", FaultExplanation("<html>500</html>"));
}

}  // namespace
