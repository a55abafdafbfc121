// The diagnosis texts that the router report prints after their labels
// ("【FW_INF】", "【PXYINF】", ...). Start-up and the router commands write
// them; they live for the whole process.
#pragma once

#include <string>

#include "foundation/keyed_table.h"

// Label → text. Owned by report_items.cpp.
extern KeyedTable glb_ReportItems;

// Name-resolution status, written by the start-up.
constexpr char kReportFirewall[] = "【FW_INF】";
// Proxy status, written by the start-up.
constexpr char kReportProxy[] = "【PXYINF】";

// Written by the router information command (⑨).
constexpr char kReportManufacturer[] = "【製造元】";
constexpr char kReportModelName[] = "【型　番】";
constexpr char kReportModelNumber[] = "【Ｖｅｒ】";
constexpr char kReportLan[] = "【LANINF】";
constexpr char kReportWan[] = "【WANINF】";
constexpr char kReportGateway[] = "【GATEWY】";
constexpr char kReportOs[] = "【OS_VER】";
constexpr char kReportNote1[] = "【備考１】";
constexpr char kReportNote2[] = "【備考２】";

void SetReportItem(const char* label, const std::string& text);
// "" for a label nobody has written.
std::string ReportItem(const char* label);
// Empties every item, as at start-up.
void ClearReportItems();

void ResetReportItemsForTests();
