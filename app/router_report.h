// The router report of the router information window: three templates for
// the user to copy (success report, failure report or question, further
// details) filled with the diagnosis texts.
#pragma once

#include <string>

// The version line of the report.
extern const char kReportVersion[];

// The report; every "http" becomes "ttp", at most 9999 bytes.
std::string RouterReport();

// The router's own web page for a device-description location: the text up
// to the second ":" and a "/" ("http://192.168.0.1:2869/desc.xml" gives
// "http://192.168.0.1/"); "" without a second ":".
std::string RouterWebPage(const std::string& location);
