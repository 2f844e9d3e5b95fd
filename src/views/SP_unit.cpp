#include "views/SP_unit.h"

#include "diagram/PhaseLabel.h"
#include "text/NumberFormat.h"
#include "plot/QtText.h"

#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace solvane {
namespace {

// The refined table's columns; the Y column is named as in the table of the nodes.
enum RefinedColumn { kKind, kY, kXLeft, kX, kXRight, kPhases, kRefinedColumns };

QString KindText(TRefinedPointKind kind)
{
    switch (kind) {
    case TRefinedPointKind::Congruent:
        return QStringLiteral("Конгруэнтная");
    case TRefinedPointKind::Critical:
        return QStringLiteral("Критическая");
    case TRefinedPointKind::End:
        return QStringLiteral("Край X");
    }
    return {};
}

// A point phase is named by its composition; here it reads as its column in
// the grid does, "C0.25".
// What "Край X" means to a chemist.
const char* const kEndTip = "Двухфазная область сходится на краю диапазона X; "
                            "при X = 0 или X = 1 это точка плавления (превращения) чистого компонента";

QString Joined(const std::vector<std::string>& phases, const std::vector<std::string>& pointPhases)
{
    QStringList texts;
    for (const std::string& phase : phases) {
        const bool point = std::find(pointPhases.begin(), pointPhases.end(), phase) != pointPhases.end();
        texts << FromCp1251(point ? PointPhaseCellText(phase) : phase);
    }
    return texts.join(QLatin1Char('+'));
}

// Read-only, one row selectable, headers left-aligned and not clickable.
void MakeReadOnlyTable(QTableWidget& table)
{
    table.horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    table.horizontalHeader()->setSectionsClickable(false);
    table.verticalHeader()->hide();
    table.setEditTriggers(QAbstractItemView::NoEditTriggers);
    table.setSelectionMode(QAbstractItemView::SingleSelection);
}

} // namespace

TfmSpecPoints::TfmSpecPoints(QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    setWindowTitle(QStringLiteral("Special points coordinates"));
    setAttribute(Qt::WA_QuitOnClose, false);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 0);
    layout->setSpacing(0);
    layout->addWidget(BuildNodesBox(), 1);
    layout->addSpacing(6);
    layout->addWidget(BuildRefinedBox());
    layout->addWidget(BuildClosePanel());

    FillTable({}, true, '.');
    FillRefined({}, true, '.');
    // Taller than designed by the refined group, but never taller than the screen.
    int height = DesignHeight + RefinedBoxHeight;
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        height = std::min(height, screen->availableGeometry().height() - 40);
    resize(DesignWidth, std::max(height, DesignHeight));
}

QWidget* TfmSpecPoints::BuildNodesBox()
{
    auto* nodesBox = new QGroupBox(QStringLiteral(" Ноды "), this);
    sgSpecPoints_ = new QTableWidget(1, 4, nodesBox);
    sgSpecPoints_->setObjectName(QStringLiteral("sgSpecPoints"));
    sgSpecPoints_->setFixedHeight(282);
    sgSpecPoints_->horizontalHeader()->setDefaultSectionSize(120);
    MakeReadOnlyTable(*sgSpecPoints_);

    auto* othersBox = new QGroupBox(QStringLiteral(" Прочие особые точки  "), nodesBox);
    ListBox1_ = new QListWidget(othersBox);
    ListBox1_->setObjectName(QStringLiteral("ListBox1"));
    auto* othersLayout = new QVBoxLayout(othersBox);
    othersLayout->addWidget(ListBox1_);

    auto* nodesLayout = new QVBoxLayout(nodesBox);
    nodesLayout->addWidget(sgSpecPoints_);
    nodesLayout->addWidget(othersBox, 1);
    return nodesBox;
}

QWidget* TfmSpecPoints::BuildRefinedBox()
{
    auto* refinedBox = new QGroupBox(QStringLiteral(" Уточнённые ноды и точки "), this);
    sgRefined_ = new QTableWidget(0, kRefinedColumns, refinedBox);
    sgRefined_->setObjectName(QStringLiteral("sgRefined"));
    MakeReadOnlyTable(*sgRefined_);
    sgRefined_->verticalHeader()->setDefaultSectionSize(sgRefined_->fontMetrics().height() + 6);
    sgRefined_->setToolTip(QStringLiteral("Значения, уточнённые за пределами сетки; серым — значения сетки"));
    auto* refinedLayout = new QVBoxLayout(refinedBox);
    refinedLayout->addWidget(sgRefined_);
    return refinedBox;
}

QWidget* TfmSpecPoints::BuildClosePanel()
{
    auto* panel = new QWidget(this);
    panel->setFixedHeight(41);
    auto* close = new QPushButton(QStringLiteral("Закрыть"), panel);
    close->setObjectName(QStringLiteral("sbClose"));
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    auto* panelLayout = new QHBoxLayout(panel);
    panelLayout->setContentsMargins(8, 0, 8, 0);
    panelLayout->addStretch();
    panelLayout->addWidget(close);
    return panel;
}

void TfmSpecPoints::FillTable(const std::vector<TNode>& nodes, bool temperatureFirstItem, char decimalSeparator)
{
    sgSpecPoints_->clearContents();
    sgSpecPoints_->setRowCount(std::max<int>(static_cast<int>(nodes.size()), 1));
    sgSpecPoints_->setHorizontalHeaderLabels({temperatureFirstItem ? QStringLiteral(" T") : QStringLiteral(" P"),
                                              QStringLiteral(" X(лев.)"), QStringLiteral(" X"),
                                              QStringLiteral(" X(прав.)")});
    const NumberSeparators seps{decimalSeparator, ','};
    for (int i = 0; i < static_cast<int>(nodes.size()); ++i) {
        const TNode& node = nodes[static_cast<std::size_t>(i)];
        const double values[] = {node.Y, node.XLeft, node.X, node.XRight};
        for (int c = 0; c < 4; ++c)
            sgSpecPoints_->setItem(
                i, c, new QTableWidgetItem(QLatin1Char(' ') + FromCp1251(FormatFloat("0.###", values[c], seps))));
    }
}

void TfmSpecPoints::SetOtherPoints(const std::vector<std::string>& lines)
{
    ListBox1_->clear();
    for (const std::string& line : lines)
        ListBox1_->addItem(FromCp1251(line));
}

void TfmSpecPoints::FillRefined(const TRefinement& refinement, bool temperatureFirstItem, char decimalSeparator)
{
    sgRefined_->clearContents();
    sgRefined_->setRowCount(static_cast<int>(refinement.Nodes.size() + refinement.Points.size()));
    sgRefined_->setHorizontalHeaderLabels({QStringLiteral(" Вид"),
                                           temperatureFirstItem ? QStringLiteral(" T") : QStringLiteral(" P"),
                                           QStringLiteral(" X(лев.)"), QStringLiteral(" X"),
                                           QStringLiteral(" X(прав.)"), QStringLiteral(" Фазы")});
    const NumberSeparators seps{decimalSeparator, ','};
    const auto number = [&seps](const char* pattern, double v) {
        return QLatin1Char(' ') + FromCp1251(FormatFloat(pattern, v, seps));
    };
    int row = 0;
    const auto addRow = [&](QString kind, bool refined, double y, const double* xLeft, double x,
                            const double* xRight, const QString& phases, const char* kindTip = nullptr) {
        if (!refined)
            kind += QStringLiteral(" (сетка)");
        const QString texts[kRefinedColumns] = {QLatin1Char(' ') + kind,
                                                number("0.####", y),
                                                xLeft ? number("0.######", *xLeft) : QString(),
                                                number("0.######", x),
                                                xRight ? number("0.######", *xRight) : QString(),
                                                QLatin1Char(' ') + phases};
        for (int c = 0; c < kRefinedColumns; ++c) {
            auto* item = new QTableWidgetItem(texts[c]);
            if (c == kKind && kindTip)
                item->setToolTip(QString::fromUtf8(kindTip));
            else if (c == kPhases)
                item->setToolTip(phases);
            if (!refined) {
                item->setForeground(Qt::gray);
                item->setToolTip(QStringLiteral("Не уточнено: значение сетки"));
            }
            sgRefined_->setItem(row, c, item);
        }
        ++row;
    };
    for (const TRefinedNode& node : refinement.Nodes)
        addRow(QStringLiteral("Нода"), node.Refined, node.Y, &node.XLeft, node.X, &node.XRight,
               Joined(node.Phases, refinement.PointPhases));
    for (const TRefinedPoint& point : refinement.Points)
        addRow(KindText(point.Kind), point.Refined, point.Y, nullptr, point.X, nullptr,
               Joined(point.Phases, refinement.PointPhases), point.Kind == TRefinedPointKind::End ? kEndTip : nullptr);
    sgRefined_->resizeColumnsToContents();
}

int TfmSpecPoints::RefinedRowCount() const { return sgRefined_->rowCount() + 1; }

QString TfmSpecPoints::RefinedText(int col, int row) const
{
    const QTableWidgetItem* item = row == 0 ? sgRefined_->horizontalHeaderItem(col) : sgRefined_->item(row - 1, col);
    return item ? item->text() : QString();
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
