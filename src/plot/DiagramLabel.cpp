#include "plot/DiagramLabel.h"

#include <QInputDialog>
#include <QMouseEvent>

namespace solvane {

TDiagramLabel::TDiagramLabel(const QString& text, QWidget* chart) : QLabel(text, chart)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setCursor(Qt::OpenHandCursor);
    adjustSize();
    show();
}

void TDiagramLabel::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        dragging_ = true;
        setCursor(Qt::ClosedHandCursor);
    } else if (event->button() == Qt::RightButton) {
        bool ok = false;
        const QString edited = QInputDialog::getText(this, QStringLiteral("Редактировать надпись"),
                                                     QStringLiteral("Новый текст"), QLineEdit::Normal, text(), &ok);
        if (ok) {
            automatic_ = false;
            setText(edited);
            adjustSize();
        }
    }
    event->accept();
}

void TDiagramLabel::mouseMoveEvent(QMouseEvent* event) { event->accept(); }

void TDiagramLabel::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && dragging_) {
        dragging_ = false;
        setCursor(Qt::OpenHandCursor);
        // Dropped anywhere on the chart, over another label or not: its top-left goes to the drop point.
        QWidget* chart = parentWidget();
        const QPoint drop = mapTo(chart, event->position().toPoint());
        if (chart->rect().contains(drop)) {
            automatic_ = false;
            move(drop);
        }
    }
    event->accept();
}

} // namespace solvane
