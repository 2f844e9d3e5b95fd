#pragma once
// A phase label placed on the diagram: a free text over the chart that the
// left button drags (its top-left corner goes where it is dropped) and the
// right button edits ("Редактировать надпись", "Новый текст").
#include <QLabel>

namespace solvane {

class TDiagramLabel : public QLabel {
    Q_OBJECT
public:
    TDiagramLabel(const QString& text, QWidget* chart);

    // A label the region labelling placed, and the user has neither moved nor
    // edited since: the next labelling replaces it.
    bool Automatic() const { return automatic_; }
    void SetAutomatic(bool automatic) { automatic_ = automatic; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool dragging_ = false;
    bool automatic_ = false;
};

} // namespace solvane
