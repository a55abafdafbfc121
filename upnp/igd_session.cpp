#include "upnp/igd_session.h"

int glb_IgdState = 0;
std::string glb_IgdMessage;
std::string glb_ControlURL;
std::string glb_ServiceType;
std::string glb_WanIP;

void ResetIgdSessionForTests() {
    glb_IgdState = 0;
    glb_IgdMessage.clear();
    glb_ControlURL.clear();
    glb_ServiceType.clear();
    glb_WanIP.clear();
}
