// The port-mapping list window's logic: the rows it shows, built from the
// router's mapping records, and its two delete operations. The Qt list dialog
// shows Rows() and calls DeleteSelected or CloseAll from its buttons, then
// shows Rows() again; the rows that could not be deleted stay.
#pragma once

#include <string>
#include <vector>

#include "foundation/strlist.h"

class AppUi;

// Columns of the list, left to right.
enum PortMapColumn {
    kColumnMapping = 0,      // "8000(TCP)→192.168.0.5:8000【○】"
    kColumnDescription = 1,  // the mapping's description
    kColumnLease = 2,        // lease duration
    kColumnPort = 3,         // external port (hidden, used to delete)
    kColumnProtocol = 4,     // protocol (hidden, used to delete)
    kPortMapColumnCount = 5,
};

struct PortMapColumnLook {
    const char* heading;
    int width;  // pixels; 0 hides the column
    bool alignRight;
};
// Heading, width and alignment of each column, indexed by PortMapColumn.
extern const PortMapColumnLook kPortMapColumns[kPortMapColumnCount];

// The list window's title.
extern const char kPortMapTitle[];
// Captions of the delete-selected (1005) and close-all (1006) buttons.
extern const char kDeleteSelectedCaption[];
extern const char kCloseAllCaption[];

struct PortMapRow {
    std::string columns[kPortMapColumnCount];
};

// The column texts of one mapping record (eight tab-separated fields: remote
// host, external port, protocol, internal port, internal client, enabled,
// description, lease duration).
PortMapRow PortMapRowFromRecord(const std::string& record);

class PortMapList {
  public:
    explicit PortMapList(AppUi& ui);

    // Builds the rows from records, newest record at the top. Unless showAll,
    // only the records whose internal client is localAddress are listed.
    void Load(const StrList& records, const std::string& localAddress, bool showAll);

    const std::vector<PortMapRow>& Rows() const { return rows_; }
    int RowCount() const { return static_cast<int>(rows_.size()); }

    // Deletes the mappings of the rows at these indexes (any order; indexes
    // out of range are ignored). Deleted rows disappear, failed ones stay;
    // when any failed, one message says so. Returns the number that failed.
    int DeleteSelected(const std::vector<int>& rowIndexes);
    // Deletes every row the same way. The failure message is shown only in a
    // batch run (non-empty switch text). Returns the number that failed.
    int CloseAll();

  private:
    int DeleteRows(const std::vector<int>& rowIndexes);

    AppUi& ui_;
    std::vector<PortMapRow> rows_;
};
