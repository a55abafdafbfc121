// The port-mapping actions: AddPortMapping and DeletePortMapping for single
// ports and for port lists, and the router's table of current mappings read
// with GetGenericPortMappingEntry. All go to the IGD session's router.
#pragma once

#include <string>

#include "foundation/strlist.h"

// Mapping records of the last GetMappingEntries, each eight
// tab-separated fields: remote host, external port, protocol, internal port,
// internal client, enabled, description, lease duration.
extern StrList glb_MappingEntries;

// Receives the progress text of the list operations ("8000-8002(TCP) Open...")
// for the main window's status line.
using StatusLineHook = void (*)(const char* text);
// nullptr (the default) shows nothing.
void SetStatusLineHook(StatusLineHook hook);

// Maps one WAN port to lanPort of lanAddress. 0 on success, -2 when the
// router refused, -1 when the IGD session is not available (nothing sent).
int _AddPortMapping(const std::string& wanPort, const std::string& protocol,
                    const std::string& lanPort, const std::string& lanAddress,
                    const std::string& description);

// Maps every port of the WAN list ("8000-8005,9000"), item i to the ports of
// LAN item i (a shorter LAN range is reused from its start), described as
// prefix + port + first letter of the protocol. Stops at the first failure
// and after ten ports; returns the last single result, -1 for an empty list.
int AddPortMapping(const std::string& wanPorts, const std::string& protocol,
                   const std::string& lanPorts, const std::string& lanAddress,
                   const std::string& descriptionPrefix);

// Removes the mapping of one WAN port: 0 on success, -1 on failure or when
// the IGD session is not available.
int _DeletePortMapping(const std::string& wanPort, const std::string& protocol);

// Removes every port of the list, going on after failures. After ten ports
// only the first port of each later item is removed. Returns the last single
// result, -1 for an empty list.
int DeletePortMapping(const std::string& wanPorts, const std::string& protocol);

// The list window's limit on the mappings read.
constexpr int kListWindowEntries = 20;

// Reads the router's mappings by index into glb_MappingEntries until the
// first failed answer or limit records; returns the number read.
int GetMappingEntries(int limit = kListWindowEntries);

// Empties glb_MappingEntries and removes the status line hook.
void ResetPortMappingForTests();
