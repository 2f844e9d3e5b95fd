#pragma once
// TfmAbout, the about box: the program's name and purpose, credit lines that
// name the project, its version, and a link to the program's documentation.
//
// A fixed-size modal dialog (443 x 302 inside the frame), centred on the
// screen when shown; open it with exec(). It closes on any character key
// (Enter and Escape included), on a mouse button released over its background
// (not over a label) and on its button "Закрыть". A click on the link opens
// the documentation with the desktop's handler instead of closing.
#include <QDialog>
#include <QUrl>

class QLabel;
class QPushButton;

namespace solvane {

class TfmAbout : public QDialog {
    Q_OBJECT
public:
    static constexpr int DesignWidth = 443;
    static constexpr int DesignHeight = 302;

    // documentation: where the link leads, typically a file:// URL of the
    // user's guide or the README beside the program.
    explicit TfmAbout(const QUrl& documentation = {}, QWidget* parent = nullptr);

    // The link's target and the text it shows (a default text when empty).
    // Without a target the link is hidden.
    void SetDocumentationUrl(const QUrl& url, const QString& caption = {});
    QUrl DocumentationUrl() const { return documentation_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QUrl documentation_;
    QLabel* link_;
    QLabel* subtitle_;
    QPushButton* close_;
    QRectF emblem_;
};

} // namespace solvane
