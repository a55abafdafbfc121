// A UPnP router on the loopback interface for tests, built on FakeHttpServer.
// It serves a device description with one WAN connection service and answers
// the SOAP actions posted to that service's control URL. A scenario shapes
// every answer the way real routers get them wrong or right.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "tests/support/fake_http_server.h"

enum class IgdScenario {
    kNormal,           // status 200, CR LF head, Content-Length
    kErrorStatus,      // description 404, actions 500 with a UPnP error
    kMissingElements,  // description without the service, answers without outputs
    kLfOnlyHeads,      // head lines end in a bare LF
    kNoContentLength,  // no Content-Length: the body ends when the router closes
    kSplitHead,        // the head comes in three segments 150 ms apart
    kSlow,             // the answer starts after 1500 ms
    kSilent,           // the router takes the request and never answers
    kChunked,          // "Transfer-Encoding: chunked", body in two chunks
};

// "Normal", "ErrorStatus", ... for test names.
const char* ScenarioName(IgdScenario scenario);
// True for the scenarios in which a client should get the answer's content.
bool ScenarioDelivers(IgdScenario scenario);

using SoapOutputs = std::vector<std::pair<std::string, std::string>>;

// The answer envelope of action with these output arguments (UTF-8 text).
std::string SoapResponseBody(const std::string& serviceType, const std::string& action,
                             const SoapOutputs& outputs);
// A SOAP fault carrying a UPnP error.
std::string SoapFaultBody(int errorCode, const std::string& description);
// A root device description whose WAN connection device lists one service of
// serviceType (none when it is empty); urlBase is left out when empty.
std::string DescriptionXml(const std::string& serviceType, const std::string& controlUrl,
                           const std::string& urlBase = "");
// status and body sent the way scenario says.
FakeAnswer ShapeAnswer(IgdScenario scenario, int status, const std::string& body);

class FakeIgd {
  public:
    static constexpr char kDescriptionPath[] = "/rootDesc.xml";
    static constexpr char kControlPath[] = "/upnp/control/WANConn1";
    static constexpr char kExternalAddress[] = "203.0.113.77";

    // Describes a service of serviceType (WANIPConnection:1 by default), the
    // description shaped by scenario. Until told otherwise every action gets a
    // normal GetExternalIPAddress answer with kExternalAddress.
    explicit FakeIgd(
        const std::string& serviceType = "urn:schemas-upnp-org:service:WANIPConnection:1",
        IgdScenario scenario = IgdScenario::kNormal);

    std::string Location() const { return server_.Url(kDescriptionPath); }
    std::string ControlUrl() const { return server_.Url(kControlPath); }
    const std::string& ServiceType() const { return serviceType_; }

    // The answer to every action that no queued answer is waiting for:
    // outputs with status 200, or what scenario makes of them.
    void AnswerActions(IgdScenario scenario, const std::string& action, const SoapOutputs& outputs);
    // An answer for the next action only; queued answers are used in order.
    void QueueAnswer(IgdScenario scenario, const std::string& action, const SoapOutputs& outputs);

    // The requests posted to the control URL, in the order received.
    std::vector<FakeRequest> ActionRequests() const;
    FakeHttpServer& Server() { return server_; }

  private:
    FakeAnswer ActionAnswer(IgdScenario scenario, const std::string& action,
                            const SoapOutputs& outputs) const;

    FakeHttpServer server_;
    std::string serviceType_;
};
