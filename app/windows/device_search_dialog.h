// The device search window (dialog 133): the listing of every device that
// answered the search, read-only, with a note on the device designation ⑭.
#pragma once

#include <QDialog>
#include <string>

class CDeviceSearchDlg final : public QDialog {
  public:
    CDeviceSearchDlg(const std::string& listing, QWidget* parent);
};
