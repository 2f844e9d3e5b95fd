#include "views/CellGridView.h"

#include <QAbstractButton>
#include <QEvent>
#include <QFontInfo>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPaintEvent>
#include <QPainter>
#include <QStaticText>

#include <algorithm>

namespace solvane {

TCellColors GridCellColors(const QString& text, bool fixed, const QPalette& palette)
{
    if (fixed)
        return {palette.color(QPalette::Button), palette.color(QPalette::Text)};
    if (text.contains(QLatin1Char('E')))
        return {QColor(255, 255, 0), QColor(255, 0, 0)};
    return {palette.color(QPalette::Base), palette.color(QPalette::Text)};
}

namespace {

// Row 0 and column 0 of the grid: fixed cells with a line at their right and
// bottom edges. Clicking selects nothing; only the columns can be resized.
class TFixedCellHeader : public QHeaderView {
public:
    TFixedCellHeader(Qt::Orientation orientation, TCellGridView& view)
        : QHeaderView(orientation, &view), view_(view)
    {
        setSectionsClickable(false);
        setHighlightSections(false);
    }

protected:
    void paintSection(QPainter* painter, const QRect& rect, int section) const override
    {
        const QString& text = orientation() == Qt::Horizontal ? view_.Model().Text(section + 1, 0)
                                                              : view_.Model().Text(0, section + 1);
        PaintFixed(*painter, rect, text);
    }

public:
    void PaintFixed(QPainter& painter, const QRect& rect, const QString& text) const
    {
        painter.setFont(view_.font());
        view_.PaintCell(painter, rect.adjusted(0, 0, -1, -1), text, true, palette(), true);
        const QColor line = palette().color(QPalette::Mid);
        painter.fillRect(rect.right(), rect.top(), 1, rect.height(), line);
        painter.fillRect(rect.left(), rect.bottom(), rect.width(), 1, line);
    }

private:
    TCellGridView& view_;
};

// The corner where the fixed row meets the fixed column shows cell (0, 0).
class TCornerPainter : public QObject {
public:
    TCornerPainter(TFixedCellHeader& header, TCellGridModel& model, QObject* parent)
        : QObject(parent), header_(header), model_(model) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Paint)
            return false;
        auto* corner = static_cast<QWidget*>(watched);
        QPainter painter(corner);
        header_.PaintFixed(painter, corner->rect(), model_.Text(0, 0));
        return true;
    }

private:
    TFixedCellHeader& header_;
    TCellGridModel& model_;
};

} // namespace

TCellGridView::TCellGridView(TCellGridModel& model, QWidget* parent)
    : QTableView(parent), model_(model)
{
    auto* columns = new TFixedCellHeader(Qt::Horizontal, *this);
    auto* rows = new TFixedCellHeader(Qt::Vertical, *this);
    setHorizontalHeader(columns);
    setVerticalHeader(rows);
    columns->setMinimumSectionSize(1); // the narrow columns are 15 pixels
    columns->setDefaultSectionSize(DefaultColWidth);
    columns->setSectionResizeMode(QHeaderView::Interactive);
    columns->setFixedHeight(RowHeight);
    rows->setMinimumSectionSize(1);
    rows->setDefaultSectionSize(RowHeight);
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setFixedWidth(DefaultColWidth);

    setModel(&model_);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setWordWrap(false);
    setCornerButtonEnabled(false); // selecting a million cells at a click helps nobody
    if (auto* corner = findChild<QAbstractButton*>())
        corner->installEventFilter(new TCornerPainter(*columns, model_, this));
    FitFixedColumn();
}

int TCellGridView::TextIndent() const
{
    // The font's size in points taken as pixels, as the grid always drew it.
    const int points = font().pointSize();
    return points > 0 ? points : qRound(QFontInfo(font()).pointSizeF());
}

void TCellGridView::PaintCell(QPainter& painter, const QRect& cell, const QString& text, bool fixed,
                              const QPalette& palette, bool clipText) const
{
    const TCellColors colors = GridCellColors(text, fixed, palette);
    painter.fillRect(cell, colors.Fill);
    if (text.isEmpty())
        return;
    // Laying a text out is the dearest part of painting a cell, and a grid
    // holds few distinct texts: each is laid out once.
    auto it = layouts_.constFind(text);
    if (it == layouts_.constEnd()) {
        if (layouts_.size() > 4096)
            layouts_.clear(); // the Y texts of many runs
        QStaticText layout(text);
        layout.setTextFormat(Qt::PlainText);
        layout.prepare(QTransform(), font());
        it = layouts_.insert(text, layout);
    }
    const QPoint origin = cell.topLeft() + QPoint(TextIndent(), 2);
    const QSizeF size = it->size();
    const bool clip = clipText && (origin.x() + size.width() > cell.right() + 1 ||
                                   origin.y() + size.height() > cell.bottom() + 1);
    if (clip) {
        painter.save();
        painter.setClipRect(cell, Qt::IntersectClip);
    }
    if (painter.pen().color() != colors.Text)
        painter.setPen(colors.Text);
    painter.drawStaticText(origin, *it);
    if (clip)
        painter.restore();
}

void TCellGridView::paintEvent(QPaintEvent* event)
{
    // The cells are painted here rather than by a delegate: a page of narrow
    // columns holds a thousand cells, and the view's per-cell machinery costs
    // more than the painting itself.
    const QRect area = event->rect();
    TVisibleCells visible;
    visible.FirstRow = rowAt(area.top());
    visible.FirstCol = columnAt(area.left());
    if (visible.FirstRow < 0 || visible.FirstCol < 0)
        return; // only the blank beyond the grid
    visible.LastRow = rowAt(area.bottom()) < 0 ? model_.rowCount() - 1 : rowAt(area.bottom());
    visible.LastCol = columnAt(area.right()) < 0 ? model_.columnCount() - 1 : columnAt(area.right());

    QStyleOptionViewItem option;
    initViewItemOption(&option);
    QPainter painter(viewport());
    painter.setFont(font());
    PaintCells(painter, visible, option.palette);
    if (showGrid())
        PaintGridLines(painter, visible, option);
    const QModelIndex current = currentIndex();
    if (current.isValid() && (hasFocus() || viewport()->hasFocus())) {
        const QRect cell = visualRect(current);
        painter.setPen(QPen(option.palette.color(QPalette::Text), 1, Qt::DotLine));
        painter.drawRect(cell.adjusted(0, 0, -1, -1));
    }
}

void TCellGridView::PaintCells(QPainter& painter, const TVisibleCells& visible, const QPalette& palette)
{
    const int rows = model_.rowCount();
    const int cols = model_.columnCount();
    QColor tint = palette.color(QPalette::Highlight);
    tint.setAlpha(80); // a selected two-phase cell still reads red on yellow
    const QItemSelection selection = selectionModel()->selection();
    const auto selected = [&](int r, int c) {
        for (const QItemSelectionRange& range : selection)
            if (r >= range.top() && r <= range.bottom() && c >= range.left() && c <= range.right())
                return true;
        return false;
    };
    const int line = showGrid() ? 1 : 0;
    // Cells are painted left to right and top to bottom, so a text wider than
    // its cell is covered by the fill of the next one; only the last row and
    // column clip theirs.
    for (int r = visible.FirstRow; r <= visible.LastRow; ++r) {
        const int y = rowViewportPosition(r);
        const int h = rowHeight(r) - line;
        for (int c = visible.FirstCol; c <= visible.LastCol; ++c) {
            const QRect cell(columnViewportPosition(c), y, columnWidth(c) - line, h);
            if (cell.width() <= 0)
                continue;
            PaintCell(painter, cell, model_.Text(c + 1, r + 1), false, palette, r == rows - 1 || c == cols - 1);
            if (selected(r, c))
                painter.fillRect(cell, tint);
        }
    }
}

void TCellGridView::PaintGridLines(QPainter& painter, const TVisibleCells& visible, const QStyleOptionViewItem& option)
{
    const int left = columnViewportPosition(visible.FirstCol);
    const int right = columnViewportPosition(visible.LastCol) + columnWidth(visible.LastCol) - 1;
    const int top = rowViewportPosition(visible.FirstRow);
    const int bottom = rowViewportPosition(visible.LastRow) + rowHeight(visible.LastRow) - 1;
    const int gridHint = style()->styleHint(QStyle::SH_Table_GridLineColor, &option, this);
    const QColor gridColor = QColor::fromRgba(static_cast<QRgb>(gridHint));
    // One-pixel fills: the raster engine's fast path, unlike its lines.
    for (int r = visible.FirstRow; r <= visible.LastRow; ++r)
        painter.fillRect(left, rowViewportPosition(r) + rowHeight(r) - 1, right - left + 1, 1, gridColor);
    for (int c = visible.FirstCol; c <= visible.LastCol; ++c)
        painter.fillRect(columnViewportPosition(c) + columnWidth(c) - 1, top, 1, bottom - top + 1, gridColor);
}

void TCellGridView::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange)
        layouts_.clear();
    QTableView::changeEvent(event);
}

int TCellGridView::ColWidth(int col) const
{
    return col == 0 ? fixedColWidth_ : columnWidth(col - 1);
}

void TCellGridView::SetDataColWidths(int width)
{
    QHeaderView* columns = horizontalHeader();
    for (int c = 0; c < columns->count(); ++c)
        columns->resizeSection(c, width);
}

void TCellGridView::FitFixedColumn()
{
    const int rows = model_.rowCount();
    if (rows < measuredRows_)
        measuredRows_ = 0; // a new run: its texts are measured afresh
    int width = fixedColWidth_;
    const QFontMetrics metrics(font());
    for (int r = measuredRows_; r < rows; ++r)
        width = std::max(width, TextIndent() + metrics.horizontalAdvance(model_.Text(0, r + 1)) + 6);
    width = std::max(width, TextIndent() + metrics.horizontalAdvance(model_.Text(0, 0)) + 6);
    measuredRows_ = rows;
    if (width != fixedColWidth_) {
        fixedColWidth_ = width;
        verticalHeader()->setFixedWidth(width);
    }
}

void TCellGridView::ShowCell(int col, int row)
{
    const QModelIndex cell = model_.index(row - 1, col - 1);
    if (!cell.isValid())
        return;
    executeDelayedItemsLayout(); // rows just inserted count for the scroll range
    setCurrentIndex(cell);
    scrollTo(cell, QAbstractItemView::PositionAtCenter);
}

} // namespace solvane
