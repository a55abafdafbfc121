#include "tests/support/fake_igd.h"

#include <cstdio>

namespace {

const char* ReasonPhrase(int status) {
    switch (status) {
        case 200:
            return "OK";
        case 404:
            return "Not Found";
        case 500:
            return "Internal Server Error";
        default:
            return "Status";
    }
}

std::string Chunked(const std::string& body) {
    size_t half = body.size() / 2;
    std::string out;
    for (const std::string& piece : {body.substr(0, half), body.substr(half)}) {
        char size[16];
        std::snprintf(size, sizeof size, "%zx", piece.size());
        out += std::string(size) + "\r\n" + piece + "\r\n";
    }
    return out + "0\r\n\r\n";
}

std::string Head(IgdScenario scenario, int status, size_t bodyLength) {
    const char* end = scenario == IgdScenario::kLfOnlyHeads ? "\n" : "\r\n";
    std::string head = "HTTP/1.1 " + std::to_string(status) + " " + ReasonPhrase(status) + end;
    head += std::string("Content-Type: text/xml; charset=\"utf-8\"") + end;
    head += std::string("Server: Linux/5.10 UPnP/1.0 FakeIgd/1.0") + end;
    if (scenario == IgdScenario::kChunked) {
        head += std::string("Transfer-Encoding: chunked") + end;
    } else if (scenario != IgdScenario::kNoContentLength) {
        head += "Content-Length: " + std::to_string(bodyLength) + end;
    }
    head += std::string("Connection: close") + end;
    return head + end;
}

}  // namespace

const char* ScenarioName(IgdScenario scenario) {
    switch (scenario) {
        case IgdScenario::kNormal:
            return "Normal";
        case IgdScenario::kErrorStatus:
            return "ErrorStatus";
        case IgdScenario::kMissingElements:
            return "MissingElements";
        case IgdScenario::kLfOnlyHeads:
            return "LfOnlyHeads";
        case IgdScenario::kNoContentLength:
            return "NoContentLength";
        case IgdScenario::kSplitHead:
            return "SplitHead";
        case IgdScenario::kSlow:
            return "Slow";
        case IgdScenario::kSilent:
            return "Silent";
        case IgdScenario::kChunked:
            return "Chunked";
    }
    return "Unknown";
}

bool ScenarioDelivers(IgdScenario scenario) {
    return scenario != IgdScenario::kErrorStatus && scenario != IgdScenario::kMissingElements &&
           scenario != IgdScenario::kSilent;
}

std::string SoapResponseBody(const std::string& serviceType, const std::string& action,
                             const SoapOutputs& outputs) {
    std::string body =
        "<?xml version=\"1.0\"?>\r\n"
        "<s:Envelope xmlns:s=\"http://schemas.xmlsoap.org/soap/envelope/\" "
        "s:encodingStyle=\"http://schemas.xmlsoap.org/soap/encoding/\">"
        "<s:Body><u:" +
        action + "Response xmlns:u=\"" + serviceType + "\">";
    for (const auto& output : outputs) {
        body += "<" + output.first + ">" + output.second + "</" + output.first + ">";
    }
    return body + "</u:" + action + "Response></s:Body></s:Envelope>\r\n";
}

std::string SoapFaultBody(int errorCode, const std::string& description) {
    return "<?xml version=\"1.0\"?>\r\n"
           "<s:Envelope xmlns:s=\"http://schemas.xmlsoap.org/soap/envelope/\" "
           "s:encodingStyle=\"http://schemas.xmlsoap.org/soap/encoding/\"><s:Body><s:Fault>"
           "<faultcode>s:Client</faultcode><faultstring>UPnPError</faultstring><detail>"
           "<UPnPError xmlns=\"urn:schemas-upnp-org:control-1-0\"><errorCode>" +
           std::to_string(errorCode) + "</errorCode><errorDescription>" + description +
           "</errorDescription></UPnPError></detail></s:Fault></s:Body></s:Envelope>\r\n";
}

std::string DescriptionXml(const std::string& serviceType, const std::string& controlUrl,
                           const std::string& urlBase) {
    std::string xml =
        "<?xml version=\"1.0\"?>\r\n<root xmlns=\"urn:schemas-upnp-org:device-1-0\">\r\n"
        "  <specVersion><major>1</major><minor>0</minor></specVersion>\r\n";
    if (!urlBase.empty()) xml += "  <URLBase>" + urlBase + "</URLBase>\r\n";
    xml +=
        "  <device>\r\n"
        "    <deviceType>urn:schemas-upnp-org:device:InternetGatewayDevice:1</deviceType>\r\n"
        "    <friendlyName>Fake IGD</friendlyName>\r\n"
        "    <manufacturer>Sluice Tests</manufacturer>\r\n"
        "    <modelDescription>Loopback test router</modelDescription>\r\n"
        "    <modelName>FakeIgd</modelName>\r\n"
        "    <modelNumber>1</modelNumber>\r\n"
        "    <UDN>uuid:fa4e16d0-0000-4000-8000-000000000001</UDN>\r\n"
        "    <deviceList><device>\r\n"
        "      <deviceType>urn:schemas-upnp-org:device:WANDevice:1</deviceType>\r\n"
        "      <deviceList><device>\r\n"
        "        <deviceType>urn:schemas-upnp-org:device:WANConnectionDevice:1</deviceType>\r\n"
        "        <serviceList>\r\n";
    if (!serviceType.empty()) {
        xml += "          <service>\r\n            <serviceType>" + serviceType +
               "</serviceType>\r\n            <serviceId>urn:upnp-org:serviceId:WANConn1"
               "</serviceId>\r\n            <controlURL>" +
               controlUrl + "</controlURL>\r\n          </service>\r\n";
    }
    return xml +
           "        </serviceList>\r\n"
           "      </device></deviceList>\r\n"
           "    </device></deviceList>\r\n"
           "  </device>\r\n</root>\r\n";
}

FakeAnswer ShapeAnswer(IgdScenario scenario, int status, const std::string& body) {
    if (scenario == IgdScenario::kSilent) return FakeAnswer::Silent();
    std::string head = Head(scenario, status, body.size());
    std::string payload = scenario == IgdScenario::kChunked ? Chunked(body) : body;
    FakeAnswer answer = FakeAnswer::Raw(head + payload);
    if (scenario == IgdScenario::kSlow) answer.delayMs = 1500;
    if (scenario == IgdScenario::kSplitHead) {
        // Cut inside the status line and inside the blank line that ends the head.
        answer.segments = {head.substr(0, 7), head.substr(7, head.size() - 8),
                           head.substr(head.size() - 1) + payload};
        answer.pauseMs = 150;
    }
    return answer;
}

FakeIgd::FakeIgd(const std::string& serviceType, IgdScenario scenario) : serviceType_(serviceType) {
    bool missing = scenario == IgdScenario::kMissingElements;
    int status = scenario == IgdScenario::kErrorStatus ? 404 : 200;
    std::string description = DescriptionXml(missing ? "" : serviceType, kControlPath);
    server_.Route("GET", kDescriptionPath, ShapeAnswer(scenario, status, description));
    AnswerActions(IgdScenario::kNormal, "GetExternalIPAddress",
                  {{"NewExternalIPAddress", kExternalAddress}});
}

FakeAnswer FakeIgd::ActionAnswer(IgdScenario scenario, const std::string& action,
                                 const SoapOutputs& outputs) const {
    if (scenario == IgdScenario::kErrorStatus) {
        return ShapeAnswer(scenario, 500, SoapFaultBody(501, "ActionFailed"));
    }
    bool missing = scenario == IgdScenario::kMissingElements;
    return ShapeAnswer(scenario, 200,
                       SoapResponseBody(serviceType_, action, missing ? SoapOutputs() : outputs));
}

void FakeIgd::AnswerActions(IgdScenario scenario, const std::string& action,
                            const SoapOutputs& outputs) {
    server_.SetDefault(ActionAnswer(scenario, action, outputs));
}

void FakeIgd::QueueAnswer(IgdScenario scenario, const std::string& action,
                          const SoapOutputs& outputs) {
    server_.Enqueue(ActionAnswer(scenario, action, outputs));
}

std::vector<FakeRequest> FakeIgd::ActionRequests() const {
    std::vector<FakeRequest> actions;
    for (const FakeRequest& request : server_.Requests()) {
        if (request.path == kControlPath) actions.push_back(request);
    }
    return actions;
}
