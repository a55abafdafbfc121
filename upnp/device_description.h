// The router's device description: the control URL of its WAN connection
// service, made absolute, and the model data the device gives about itself.
#pragma once

#include <string>

// Texts (CP932) of the last device whose description was read; empty at
// start. A model value is replaced only when the description has its node.
// Owned by device_description.cpp.
extern std::string glb_Location;
extern std::string glb_RouterHost;
extern std::string glb_ModelDescription;
extern std::string glb_ModelName;
extern std::string glb_ModelNumber;
extern std::string glb_ModelURL;
extern std::string glb_Manufacturer;

// IGDv2 routers list their IP connection service in this version only.
constexpr char kWanIpConnectionV2[] = "urn:schemas-upnp-org:service:WANIPConnection:2";

// Fetches the description at location (5000 ms at most) and returns the
// absolute control URL of the service of type serviceType (compared exactly),
// or "" on any failure. Records the device's model data and address.
std::string GetControlURL(const char* location, const char* serviceType);

// The same for a description already fetched from location.
std::string ControlUrlFromDescription(const std::string& description, const char* location,
                                      const char* serviceType);

// Resolves reference against the absolute URL base (RFC 3986); "" when base
// is no absolute URL or reference no URL reference.
std::string CombineUrl(const std::string& base, const std::string& reference);

// The text of the first node that expression selects in the XML file at path,
// or "" when the file cannot be read or nothing matches.
void ReadXmlText(const char* path, const char* expression, std::string& text);

void ResetDeviceDescriptionForTests();
