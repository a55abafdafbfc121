#include "app/windows/device_search_dialog.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "app/diagnosis_commands.h"
#include "app/windows/dialog_units.h"
#include "app/windows/main_controls.h"
#include "app/windows/qt_text.h"

namespace {

const char kTitle[] = "機器検索";
constexpr int kFontPoints = 10;
constexpr int kIdListing = 1025;
constexpr int kWidthUnits = 260;
constexpr int kHeightUnits = 200;

}  // namespace

CDeviceSearchDlg::CDeviceSearchDlg(const std::string& listing, QWidget* parent) : QDialog(parent) {
    setWindowTitle(ToQString(kTitle));
    setFont(FixedPitchFont(kFontPoints));
    auto* view = new QPlainTextEdit(ToDisplayText(listing), this);
    view->setObjectName(ControlName(kIdListing));
    view->setReadOnly(true);
    auto* note = new QLabel(ToQString(kDeviceSearchNote), this);
    note->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(view);
    layout->addWidget(note);
    resize(DialogUnitsToPixels(font(), kWidthUnits, kHeightUnits));
}
