// The router's device description: the control URL of its WAN connection
// service, made absolute, and the model data the device gives about itself.
#pragma once

#include <string>
#include <vector>

// Texts (CP932) of the last device whose description was read; empty at
// start. The model values are emptied before each description is read, so
// that no device shows an earlier device's model.
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

// Fetches the description at location once (HTTP only, 5000 ms and 1 MiB at
// most) and returns the absolute control URL of the first of serviceTypes
// (compared exactly) that it describes, or "" on any failure. Records the
// device's model data and address.
std::string GetControlURL(const char* location, const std::vector<std::string>& serviceTypes);
std::string GetControlURL(const char* location, const char* serviceType);

// The same for a description already fetched from location.
std::string ControlUrlFromDescription(const std::string& description, const char* location,
                                      const std::vector<std::string>& serviceTypes);
std::string ControlUrlFromDescription(const std::string& description, const char* location,
                                      const char* serviceType);

// Resolves reference against the absolute URL base (RFC 3986); "" when base
// is no absolute URL or reference no URL reference.
std::string CombineUrl(const std::string& base, const std::string& reference);

// The text of the first node that expression selects in the XML file at path,
// or "" when the file cannot be read or nothing matches.
void ReadXmlText(const char* path, const char* expression, std::string& text);

void ResetDeviceDescriptionForTests();
