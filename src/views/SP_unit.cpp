#include "views/SP_unit.h"

#include "text/NumberFormat.h"
#include "views/QtText.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace solvane {

TfmSpecPoints::TfmSpecPoints(QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    setWindowTitle(QStringLiteral("Special points coordinates"));
    setAttribute(Qt::WA_QuitOnClose, false);

    auto* nodesBox = new QGroupBox(QStringLiteral(" Ноды "), this);
    sgSpecPoints_ = new QTableWidget(1, 4, nodesBox);
    sgSpecPoints_->setObjectName(QStringLiteral("sgSpecPoints"));
    sgSpecPoints_->setFixedHeight(282);
    sgSpecPoints_->horizontalHeader()->setDefaultSectionSize(120);
    sgSpecPoints_->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    sgSpecPoints_->horizontalHeader()->setSectionsClickable(false);
    sgSpecPoints_->verticalHeader()->hide();
    sgSpecPoints_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sgSpecPoints_->setSelectionMode(QAbstractItemView::SingleSelection);

    auto* othersBox = new QGroupBox(QStringLiteral(" Прочие особые точки  "), nodesBox);
    ListBox1_ = new QListWidget(othersBox);
    ListBox1_->setObjectName(QStringLiteral("ListBox1"));
    auto* othersLayout = new QVBoxLayout(othersBox);
    othersLayout->addWidget(ListBox1_);

    auto* nodesLayout = new QVBoxLayout(nodesBox);
    nodesLayout->addWidget(sgSpecPoints_);
    nodesLayout->addWidget(othersBox, 1);

    auto* panel = new QWidget(this);
    panel->setFixedHeight(41);
    auto* close = new QPushButton(QStringLiteral("Закрыть"), panel);
    close->setObjectName(QStringLiteral("sbClose"));
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    auto* panelLayout = new QHBoxLayout(panel);
    panelLayout->setContentsMargins(8, 0, 8, 0);
    panelLayout->addStretch();
    panelLayout->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 0);
    layout->setSpacing(0);
    layout->addWidget(nodesBox, 1);
    layout->addWidget(panel);

    FillTable({}, true, '.');
    resize(DesignWidth, DesignHeight);
}

void TfmSpecPoints::FillTable(const TNamedList<TNode>& nodes, bool temperatureFirstItem, char decimalSeparator)
{
    sgSpecPoints_->clearContents();
    sgSpecPoints_->setRowCount(std::max<int>(static_cast<int>(nodes.size()), 1));
    sgSpecPoints_->setHorizontalHeaderLabels({temperatureFirstItem ? QStringLiteral(" T") : QStringLiteral(" P"),
                                              QStringLiteral(" X(лев.)"), QStringLiteral(" X"),
                                              QStringLiteral(" X(прав.)")});
    const NumberSeparators seps{decimalSeparator, ','};
    for (int i = 0; i < static_cast<int>(nodes.size()); ++i) {
        const TNode& node = *nodes[static_cast<std::size_t>(i)].Object;
        const double values[] = {node.Y, node.XLeft, node.X, node.XRight};
        for (int c = 0; c < 4; ++c)
            sgSpecPoints_->setItem(i, c, new QTableWidgetItem(FromCp1251(" " + FormatFloat("0.###", values[c], seps))));
    }
}

void TfmSpecPoints::SetOtherPoints(const std::vector<std::string>& lines)
{
    ListBox1_->clear();
    for (const std::string& line : lines)
        ListBox1_->addItem(FromCp1251(line));
}

int TfmSpecPoints::RowCount() const { return sgSpecPoints_->rowCount() + 1; }

QString TfmSpecPoints::CellText(int col, int row) const
{
    const QTableWidgetItem* item =
        row == 0 ? sgSpecPoints_->horizontalHeaderItem(col) : sgSpecPoints_->item(row - 1, col);
    return item ? item->text() : QString();
}

QStringList TfmSpecPoints::OtherPoints() const
{
    QStringList lines;
    for (int i = 0; i < ListBox1_->count(); ++i)
        lines << ListBox1_->item(i)->text();
    return lines;
}

} // namespace solvane
