// The port-mapping list window (dialog 131): the router's mappings in a
// report list, with buttons that delete the selected rows or all of them.
#pragma once

#include <QDialog>

class PortMapList;
class QTreeWidget;

class CPortMapDlg final : public QDialog {
  public:
    CPortMapDlg(PortMapList& list, QWidget* parent);

  private:
    void ShowRows();
    void OnDeleteSelected();
    void OnCloseAll();
    // Runs a delete operation with the window disabled: the router calls
    // dispatch events while they wait, and a second click must not start
    // another delete over the rows the first one is still walking.
    template <typename Operation>
    void RunDisabled(Operation operation);

    PortMapList& list_;
    QTreeWidget* view_;
};
