#include "views/GridUnit.h"

#include "views/CellGridModel.h"
#include "views/CellGridView.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace solvane {
namespace {

// The grid a window shows before it is given the run's.
const CellGrid& EmptyGrid()
{
    static const CellGrid empty;
    return empty;
}

} // namespace

TfmCells::TfmCells(QWidget* parent) : TfmCells(EmptyGrid(), parent) {}

TfmCells::TfmCells(const CellGrid& grid, QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    setWindowTitle(QStringLiteral("Grid representation"));
    setAttribute(Qt::WA_QuitOnClose, false);

    model_ = new TCellGridModel(grid, this);
    sgCells_ = new TCellGridView(*model_, this);
    sgCells_->setObjectName(QStringLiteral("sgCells"));

    auto* panel = new QWidget(this);
    panel->setFixedHeight(50);
    chbNarrowCells_ = new QCheckBox(QStringLiteral("Narrow cells"), panel);
    chbNarrowCells_->setObjectName(QStringLiteral("chbNarrowCells"));
    sbClose_ = new QPushButton(QStringLiteral("Закрыть"), panel);
    sbClose_->setObjectName(QStringLiteral("sbClose"));
    auto* panelLayout = new QHBoxLayout(panel);
    panelLayout->setContentsMargins(12, 0, 12, 0);
    panelLayout->addWidget(chbNarrowCells_);
    panelLayout->addStretch();
    panelLayout->addWidget(sbClose_);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(sgCells_, 1);
    layout->addWidget(panel);

    connect(chbNarrowCells_, &QCheckBox::clicked, this, &TfmCells::chbNarrowCellsClick);
    connect(sbClose_, &QPushButton::clicked, this, &QWidget::close);
    resize(DesignWidth, DesignHeight);
}

TfmCells::~TfmCells() = default;

void TfmCells::SetGrid(const CellGrid& grid)
{
    model_->SetGrid(grid);
    sgCells_->FitFixedColumn();
}

void TfmCells::ShowNarrow()
{
    chbNarrowCells_->setChecked(true);
    chbNarrowCellsClick();
    show();
    raise();
    activateWindow();
}

void TfmCells::chbNarrowCellsClick()
{
    sgCells_->SetDataColWidths(chbNarrowCells_->isChecked() ? NarrowWidth : WideWidth);
}

void TfmCells::GridChanged()
{
    model_->Sync();
    sgCells_->FitFixedColumn();
}

void TfmCells::SetCurrentCell(int col, int row)
{
    if (row >= model_->GridRowCount() || col >= model_->GridColCount())
        GridChanged(); // the search may come before the owner's last report
    currentCol_ = col;
    currentRow_ = row;
    sgCells_->ShowCell(col, row);
    // A hidden view has no size to scroll in yet.
    scrollPending_ = !isVisible();
}

void TfmCells::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (scrollPending_) {
        scrollPending_ = false;
        sgCells_->ShowCell(currentCol_, currentRow_);
    }
}

int TfmCells::ColWidth(int col) const { return sgCells_->ColWidth(col); }

} // namespace solvane
