#include "app/port_map_list.h"

#include <algorithm>

#include "app/app_ui.h"
#include "app/command_line.h"
#include "upnp/port_mapping.h"

const PortMapColumnLook kPortMapColumns[kPortMapColumnCount] = {
    {"ポートマップ【有効／無効】", 220, false},
    {"説明", 100, false},
    {"リース期間", 75, true},
    {"PORT", 0, false},
    {"PROT", 0, false},
};

const char kPortMapTitle[] = "PortMap(GenericPortMappingEntry)";
const char kDeleteSelectedCaption[] = "選択ポートを閉鎖（削除）";
const char kCloseAllCaption[] = "すべて閉鎖";

namespace {

const char kDeleteFailed[] = "ポートマッピング削除に失敗しました";

// Fields of a mapping record.
enum RecordField {
    kRemoteHost = 0,
    kExternalPort,
    kProtocol,
    kInternalPort,
    kInternalClient,
    kEnabled,
    kDescription,
    kLeaseDuration,
};

}  // namespace

PortMapRow PortMapRowFromRecord(const std::string& record) {
    StrList fields(record.c_str(), "\t");
    const char* mark = std::string(fields.GetAt(kEnabled)) == "0" ? "×" : "○";
    PortMapRow row;
    row.columns[kColumnMapping] = std::string(fields.GetAt(kExternalPort)) + "(" +
                                  fields.GetAt(kProtocol) + ")→" + fields.GetAt(kInternalClient) +
                                  ":" + fields.GetAt(kInternalPort) + "【" + mark + "】";
    row.columns[kColumnDescription] = fields.GetAt(kDescription);
    row.columns[kColumnLease] = fields.GetAt(kLeaseDuration);
    row.columns[kColumnPort] = fields.GetAt(kExternalPort);
    row.columns[kColumnProtocol] = fields.GetAt(kProtocol);
    return row;
}

PortMapList::PortMapList(AppUi& ui) : ui_(ui) {}

void PortMapList::Load(const StrList& records, const std::string& localAddress, bool showAll) {
    rows_.clear();
    for (int i = 0; i < records.Count(); ++i) {
        StrList fields(records.GetAt(i), "\t");
        if (!showAll && localAddress != fields.GetAt(kInternalClient)) continue;
        rows_.insert(rows_.begin(), PortMapRowFromRecord(records.GetAt(i)));
    }
}

int PortMapList::DeleteSelected(const std::vector<int>& rowIndexes) {
    int failed = DeleteRows(rowIndexes);
    if (failed > 0) ui_.ShowMessage(kDeleteFailed);
    return failed;
}

int PortMapList::CloseAll() {
    std::vector<int> all(rows_.size());
    for (size_t i = 0; i < all.size(); ++i) all[i] = static_cast<int>(i);
    int failed = DeleteRows(all);
    if (failed > 0 && IsBatchRun()) ui_.ShowMessage(kDeleteFailed);
    return failed;
}

// From the last row to the first, so that removing a row leaves the indexes
// still to come in place.
int PortMapList::DeleteRows(const std::vector<int>& rowIndexes) {
    std::vector<int> indexes = rowIndexes;
    std::sort(indexes.begin(), indexes.end());
    indexes.erase(std::unique(indexes.begin(), indexes.end()), indexes.end());
    int failed = 0;
    for (auto it = indexes.rbegin(); it != indexes.rend(); ++it) {
        if (*it < 0 || *it >= RowCount()) continue;
        const PortMapRow& row = rows_[*it];
        if (DeletePortMapping(row.columns[kColumnPort], row.columns[kColumnProtocol]) == 0) {
            rows_.erase(rows_.begin() + *it);
        } else {
            ++failed;
        }
    }
    return failed;
}
