// One UPnP control action sent to the router's WAN connection service.
#pragma once

#include <string>

#include "upnp/soap_envelope.h"

// Setting that chooses the transport: 1 the program's own HTTP exchange with
// typed arguments, 2 the request object, 3 the own exchange with plain
// arguments; anything else tries 2, 1 and 3 in turn.
constexpr char kTransportModeKey[] = "//ini/設定/モード";

class SoapRequest {
  public:
    SoapRequest(const std::string& serviceType, const std::string& action);

    void SetAction(const std::string& serviceType, const std::string& action);
    // A second call with the same name replaces value and type.
    void AddArgument(const std::string& name, const std::string& value,
                     const std::string& dataType);
    void ClearArguments();

    // Each returns the answer's HTTP status (200 = success), -1 when the
    // request could not be built or sent, 0 when no status line came. Every
    // attempt replaces the response text.
    int Invoke(const std::string& controlUrl);
    int InvokeMsn(const std::string& controlUrl, int form);
    int InvokeEX(const std::string& controlUrl);

    // Text of the output argument name in the last answer, or "".
    std::string GetResponseValue(const std::string& name) const;
    // Body of the last answer, in CP932.
    const std::string& ResponseText() const { return response_; }

  private:
    int InvokeExOnce(const std::string& controlUrl, bool& retry);

    std::string serviceType_;
    std::string action_;
    SoapArguments values_;
    SoapArguments types_;
    std::string response_;
};
