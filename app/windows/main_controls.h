// The controls of the main window, top to bottom, each named "c" + its
// resource id (labels without an id have no name), so the wiring and the
// tests find them by id.
#pragma once

#include <QString>

class QAbstractButton;
class QComboBox;
class QDialog;
class QLineEdit;
class QPushButton;
class QWidget;

// Control ids of the main window.
enum MainControlId {
    kIdWanPort = 1000,
    kIdDevice = 1001,
    kIdLanPort = 1002,
    kIdLanIp = 1003,
    kIdComment = 1004,
    kIdOpen = 1005,
    kIdClose = 1006,
    kIdShortcut = 1007,
    kIdInfo = 1008,
    kIdWanIpButton = 1009,
    kIdWanIp = 1010,
    kIdRouterInfo = 1011,
    kIdRouterPage = 1013,
    kIdWizard = 1014,
    kIdPortMap = 1015,
    kIdPortHelp = 1016,
    kIdHomePage = 1017,
    kIdTransportMode = 1018,
    kIdAddressMode = 1019,
    kIdTcp = 1020,
    kIdUdp = 1021,
    kIdWanPortLabel = 1023,
    kIdDeviceSearch = 1024,
    kIdTestLabel = 1025,
    kIdCopy = 1026,
    kIdBusyPanel = 1028,
    kIdStatusLine = 1029,
};

// "c1000" for 1000.
QString ControlName(int id);

// A push button of a child window, named after its id; Enter does not press
// it unless it is the window's default button.
QPushButton* MakeChildButton(int id, const char* caption, QWidget* parent);

// Creates every control of the main window in dialog, laid out in rows, with
// its caption and combo items. The busy panel is created hidden and outside
// the layout; PlaceBusyPanel puts it over the window.
void BuildMainControls(QDialog* dialog);
// Attaches the tooltips to the controls that have one.
void AttachMainTooltips(QDialog* dialog);
// Makes the busy panel cover the window above the status line.
void PlaceBusyPanel(QDialog* dialog);

// The control of this id, or nullptr.
QLineEdit* EditControl(const QWidget* dialog, int id);
QComboBox* ComboControl(const QWidget* dialog, int id);
QAbstractButton* ButtonControl(const QWidget* dialog, int id);
QPushButton* BusyPanel(const QWidget* dialog);
