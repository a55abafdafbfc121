#include "upnp/soap_request.h"

#include "foundation/memfile.h"
#include "foundation/settings.h"
#include "foundation/trace.h"
#include "net/http_exchange.h"
#include "platform/charset.h"
#include "platform/clock.h"
#include "platform/xmlhttp.h"
#include "upnp/session_deadline.h"

namespace {

const int kSoapTimeLimitMs = 5000;
// A request object that fails to send is tried again this many times, but
// only after an attempt that failed quickly: a router that is slow to fail
// would otherwise cost the time limit once per attempt.
const int kExRestarts = 3;
const uint32_t kQuickFailureMs = 1000;

enum TransportMode { kModeMsnTyped = 1, kModeEx = 2, kModeMsnPlain = 3 };

}  // namespace

SoapRequest::SoapRequest(const std::string& serviceType, const std::string& action)
    : serviceType_(serviceType), action_(action) {}

void SoapRequest::SetAction(const std::string& serviceType, const std::string& action) {
    serviceType_ = serviceType;
    action_ = action;
}

void SoapRequest::AddArgument(const std::string& name, const std::string& value,
                              const std::string& dataType) {
    values_[name] = value;
    types_[name] = dataType;
}

void SoapRequest::ClearArguments() {
    values_.clear();
    types_.clear();
}

int SoapRequest::Invoke(const std::string& controlUrl) {
    Trace("Invoke() S", controlUrl);
    switch (glb_Settings.GetInt(kTransportModeKey)) {
        case kModeMsnTyped:
            return InvokeMsn(controlUrl, kSoapTyped);
        case kModeEx:
            return InvokeEX(controlUrl);
        case kModeMsnPlain:
            return InvokeMsn(controlUrl, kSoapPlain);
        default:
            if (InvokeEX(controlUrl) == 200) return 200;
            if (InvokeMsn(controlUrl, kSoapTyped) == 200) return 200;
            return InvokeMsn(controlUrl, kSoapPlain);
    }
}

int SoapRequest::InvokeMsn(const std::string& controlUrl, int form) {
    Trace("InvokeMsn() S", controlUrl);
    response_.clear();
    ControlUrlParts url;
    if (!SplitControlUrl(controlUrl, url)) return -1;
    std::string body = BuildMsnBody(serviceType_, action_, values_, types_, form);
    std::string request = BuildMsnRequest(url, serviceType_, action_, body);
    std::string step = "InvokeMsn() SendRequestData:\n" + std::string(79, '/') + "\n";
    Trace(step.c_str(), request);
    int limitMs = SessionTimeLeft(kSoapTimeLimitMs);
    if (limitMs <= 0) return -1;
    MemFile* sent = MemOpen("10000", "mw");
    MemWrite(sent, request.data(), request.size());
    MemFile* answer = MemOpen("10000", "mw");
    int result = HttpExchange(url.host.c_str(), url.port.c_str(), sent, answer, limitMs, nullptr);
    Trace("InvokeMsn() httpSend return", "", result);
    response_ = platform::Utf8ToCp932(std::string(MemData(answer), MemLength(answer)));
    MemClose(answer);
    MemClose(sent);
    return result;
}

int SoapRequest::InvokeEX(const std::string& controlUrl) {
    int result = -1;
    bool retry = true;
    for (int attempt = 0; retry && attempt <= kExRestarts; ++attempt) {
        result = InvokeExOnce(controlUrl, retry);
    }
    return result;
}

// One attempt; retry tells whether the failure is one worth another attempt.
int SoapRequest::InvokeExOnce(const std::string& controlUrl, bool& retry) {
    Trace("InvokeEX() S");
    retry = false;
    response_.clear();
    platform::XmlHttpRequest request;
    request.method = "POST";
    request.url = controlUrl;
    request.headers = {"SOAPAction: " + serviceType_ + "#" + action_,
                       "Content-Type: text/xml; charset=\"utf-8\""};
    request.body = BuildDomEnvelope(serviceType_, action_, values_);
    request.timeLimitMs = SessionTimeLeft(kSoapTimeLimitMs);
    if (request.timeLimitMs <= 0) return -1;
    platform::XmlHttpAnswer answer;
    uint32_t start = platform::TickCount();
    platform::XmlHttpResult result = platform::XmlHttpSend(request, answer);
    bool quick = platform::TickCount() - start < kQuickFailureMs;
    switch (result) {
        case platform::XmlHttpResult::kOk:
            response_ = platform::Utf8ToCp932(answer.body);
            return answer.status;
        case platform::XmlHttpResult::kNoHandle:
            Trace("InvokeEX() CreateInstance error", answer.error);
            return -1;
        case platform::XmlHttpResult::kRefused:
            Trace("InvokeEX() URL refused", answer.error);
            return -1;
        case platform::XmlHttpResult::kSendFailed:
            Trace("InvokeEX() send error", answer.error);
            retry = quick;
            return -1;
        case platform::XmlHttpResult::kNoAnswer:
            Trace("InvokeEX() answer error", answer.error);
            retry = quick;
            return 0;
        case platform::XmlHttpResult::kTimedOut:
            Trace("InvokeEX() time limit", answer.error);
            return 0;
    }
    return -1;
}

std::string SoapRequest::GetResponseValue(const std::string& name) const {
    return FindResponseValue(response_, name);
}
