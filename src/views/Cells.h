#pragma once
// TfmCells, the window of the cell grid of the last run. It exists from the start,
// hidden; closing it only hides it.
#include <QWidget>

namespace solvane {

class TfmCells : public QWidget {
    Q_OBJECT
public:
    static constexpr int DesignWidth = 696;
    static constexpr int DesignHeight = 480;

    explicit TfmCells(QWidget* parent = nullptr) : QWidget(parent, Qt::Window)
    {
        setWindowTitle(QStringLiteral("Grid representation"));
        setAttribute(Qt::WA_QuitOnClose, false);
        resize(DesignWidth, DesignHeight);
    }
};

} // namespace solvane
