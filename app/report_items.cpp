#include "app/report_items.h"

KeyedTable glb_ReportItems;

void SetReportItem(const char* label, const std::string& text) {
    glb_ReportItems.Set(label, text.c_str());
}

std::string ReportItem(const char* label) {
    return glb_ReportItems.Get(label);
}

void ClearReportItems() {
    glb_ReportItems.Clear();
}

void ResetReportItemsForTests() {
    ClearReportItems();
}
