#pragma once
// TfmDiagram2, the window of the phase diagram of the last run. It exists from the start,
// hidden; closing it only hides it.
#include <QWidget>

namespace solvane {

class TfmDiagram2 : public QWidget {
    Q_OBJECT
public:
    static constexpr int DesignWidth = 959;
    static constexpr int DesignHeight = 615;

    explicit TfmDiagram2(QWidget* parent = nullptr) : QWidget(parent, Qt::Window)
    {
        setWindowTitle(QStringLiteral("Diagram"));
        setAttribute(Qt::WA_QuitOnClose, false);
        resize(DesignWidth, DesignHeight);
    }
};

} // namespace solvane
