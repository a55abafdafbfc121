#include "app/windows/port_map_dialog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/port_map_list.h"
#include "app/windows/dialog_units.h"
#include "app/windows/main_controls.h"
#include "app/windows/qt_text.h"

namespace {

constexpr int kIdList = 1014;
constexpr int kIdDeleteSelected = 1005;
constexpr int kIdCloseAll = 1006;
constexpr int kWidthUnits = 255;
constexpr int kHeightUnits = 119;

Qt::Alignment ColumnAlignment(int column) {
    return (kPortMapColumns[column].alignRight ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
}

QTreeWidget* MakeListView(QWidget* parent) {
    auto* view = new QTreeWidget(parent);
    view->setObjectName(ControlName(kIdList));
    view->setRootIsDecorated(false);
    view->setUniformRowHeights(true);
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->setColumnCount(kPortMapColumnCount);
    auto* header = new QTreeWidgetItem;
    for (int column = 0; column < kPortMapColumnCount; ++column) {
        header->setText(column, ToQString(kPortMapColumns[column].heading));
        header->setTextAlignment(column, ColumnAlignment(column));
    }
    view->setHeaderItem(header);
    view->header()->setStretchLastSection(false);
    for (int column = 0; column < kPortMapColumnCount; ++column) {
        int width = kPortMapColumns[column].width;
        view->setColumnWidth(column, width);
        view->setColumnHidden(column, width == 0);
    }
    return view;
}

}  // namespace

CPortMapDlg::CPortMapDlg(PortMapList& list, QWidget* parent)
    : QDialog(parent), list_(list), view_(MakeListView(this)) {
    setWindowTitle(ToQString(kPortMapTitle));
    setFont(DialogFont());
    QPushButton* deleteSelected = MakeChildButton(kIdDeleteSelected, kDeleteSelectedCaption, this);
    QPushButton* closeAll = MakeChildButton(kIdCloseAll, kCloseAllCaption, this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(deleteSelected);
    buttons->addWidget(closeAll);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(view_);
    layout->addLayout(buttons);
    resize(DialogUnitsToPixels(font(), kWidthUnits, kHeightUnits));
    connect(deleteSelected, &QPushButton::clicked, this, [this] { OnDeleteSelected(); });
    connect(closeAll, &QPushButton::clicked, this, [this] { OnCloseAll(); });
    ShowRows();
}

void CPortMapDlg::ShowRows() {
    view_->clear();
    for (const PortMapRow& row : list_.Rows()) {
        auto* item = new QTreeWidgetItem(view_);
        for (int column = 0; column < kPortMapColumnCount; ++column) {
            item->setText(column, ToQString(row.columns[column]));
            item->setTextAlignment(column, ColumnAlignment(column));
        }
    }
}

void CPortMapDlg::OnDeleteSelected() {
    std::vector<int> selected;
    for (QTreeWidgetItem* item : view_->selectedItems()) {
        selected.push_back(view_->indexOfTopLevelItem(item));
    }
    RunDisabled([this, &selected] { list_.DeleteSelected(selected); });
}

void CPortMapDlg::OnCloseAll() {
    RunDisabled([this] { list_.CloseAll(); });
}

template <typename Operation>
void CPortMapDlg::RunDisabled(Operation operation) {
    setEnabled(false);
    operation();
    ShowRows();
    setEnabled(true);
}
