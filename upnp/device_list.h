// The device search listing: one record per device that answered, and the
// text shown to the user with the proposal for the device designation.
#pragma once

#include <string>

#include "foundation/strlist.h"

// The uuid in an SSDP answer: the text between the first colon after the
// first "uuid" and the next colon, at most 998 bytes; "" when either colon
// is missing.
std::string UuidFromAnswer(const std::string& answer);

// The five fields of one device joined by tabs.
std::string DeviceRecord(const std::string& model, const std::string& uuid,
                         const std::string& location, const std::string& host,
                         const std::string& wanAddress);

// Appends one block per record to text, then the closing remark. chosen
// receives the uuid of the last record with a global WAN address, or "" when
// there is none or that record is the only one (nothing to choose between).
void ListDevices(const StrList& records, std::string* text, std::string* chosen);
