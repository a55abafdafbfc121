// The reason a router gives when it refuses a control action: the UPnP error
// code and description of its SOAP fault, and what each code means for the
// user, in one line that follows the error texts of the port-mapping actions.
#pragma once

#include <string>

struct SoapFault {
    int code = 0;             // UPnP errorCode; 0 when the body holds none
    std::string description;  // errorDescription (CP932), control characters removed
};

// Reads errorCode and errorDescription from an error answer's body (CP932),
// with or without namespace prefixes. False when the body carries no UPnP
// error code.
bool ReadSoapFault(const std::string& body, SoapFault& fault);

// The standard name of a UPnP error code ("ConflictInMappingEntry"), or "".
const char* UpnpErrorName(int code);
// One line in Japanese: what the code means and what the user can do; "" for
// a code the program does not know.
const char* UpnpErrorAdvice(int code);

// " UPnPエラー718 ConflictInMappingEntry: <advice>" for the fault in body, to
// be put after an action's error text; "" when the body has no fault. The
// router's own description stands in for the name of an unknown code.
std::string FaultExplanation(const std::string& body);
