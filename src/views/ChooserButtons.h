#pragma once
// Small controls of the dialogs that pick a colour or a font: each shows its
// current value and opens the desktop's colour or font dialog when pressed.
// The value can also be set directly, without the dialog.
#include <QColor>
#include <QFont>
#include <QPushButton>
#include <QWidget>

class QLabel;

namespace solvane {

// A button that shows a colour swatch.
class TColorButton : public QPushButton {
    Q_OBJECT
public:
    explicit TColorButton(const QColor& color = Qt::black, QWidget* parent = nullptr);
    QColor Color() const { return color_; }
    void SetColor(const QColor& color);

signals:
    void ColorChanged(const QColor& color);

private:
    void Choose();
    QColor color_;
};

// The current font written out ("Liberation Sans, 10 пт, жирный") beside a
// button "Шрифт…".
class TFontChooser : public QWidget {
    Q_OBJECT
public:
    explicit TFontChooser(const QFont& font = QFont(), QWidget* parent = nullptr);
    QFont ChosenFont() const { return font_; }
    void SetChosenFont(const QFont& font);

private:
    void Choose();
    QFont font_;
    QLabel* description_;
};

} // namespace solvane
