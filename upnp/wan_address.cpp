#include "upnp/wan_address.h"

#include "foundation/trace.h"
#include "upnp/igd_session.h"
#include "upnp/soap_fault.h"
#include "upnp/soap_request.h"

bool GetWANIPAdrress(std::string* explanation) {
    Trace("GetWANIPAdrress() S");
    SoapRequest request(glb_ServiceType, "GetExternalIPAddress");
    if (request.Invoke(glb_ControlURL) != 200) {
        Trace("GetWANIPAdrress() Invoke error", glb_ControlURL);
        if (explanation) *explanation = FaultExplanation(request.ResponseText());
        return false;
    }
    glb_WanIP = request.GetResponseValue("NewExternalIPAddress");
    if (!glb_WanIP.empty()) {
        Trace("GetWANIPAdrress() E glb_WanIP=", glb_WanIP);
        return true;
    }
    Trace("GetWANIPAdrress() NewExternalIPAddress解析失敗");
    Trace(request.ResponseText().c_str());
    return false;
}
