#pragma once
// TfmSpecPoints, the window of the nodes and other special points of the last run. It exists from the start,
// hidden; closing it only hides it.
#include <QWidget>

namespace solvane {

class TfmSpecPoints : public QWidget {
    Q_OBJECT
public:
    static constexpr int DesignWidth = 524;
    static constexpr int DesignHeight = 640;

    explicit TfmSpecPoints(QWidget* parent = nullptr) : QWidget(parent, Qt::Window)
    {
        setWindowTitle(QStringLiteral("Special points coordinates"));
        setAttribute(Qt::WA_QuitOnClose, false);
        resize(DesignWidth, DesignHeight);
    }
};

} // namespace solvane
