#include "views/ChooserButtons.h"

#include <QColorDialog>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPixmap>

namespace solvane {

TColorButton::TColorButton(const QColor& color, QWidget* parent)
    : QPushButton(parent)
{
    setIconSize(QSize(48, 14));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setToolTip(QStringLiteral("Выбрать цвет"));
    SetColor(color);
    connect(this, &QPushButton::clicked, this, &TColorButton::Choose);
}

void TColorButton::SetColor(const QColor& color)
{
    color_ = color;
    QPixmap swatch(iconSize());
    swatch.fill(color);
    QPainter painter(&swatch);
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(swatch.rect().adjusted(0, 0, -1, -1));
    painter.end();
    setIcon(QIcon(swatch));
    emit ColorChanged(color);
}

void TColorButton::Choose()
{
    const QColor chosen = QColorDialog::getColor(color_, this, QStringLiteral("Цвет"));
    if (chosen.isValid())
        SetColor(chosen);
}

TFontChooser::TFontChooser(const QFont& font, QWidget* parent)
    : QWidget(parent)
    , description_(new QLabel(this))
{
    auto* button = new QPushButton(QStringLiteral("Шрифт…"), this);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(description_, 1);
    layout->addWidget(button);
    SetChosenFont(font);
    connect(button, &QPushButton::clicked, this, &TFontChooser::Choose);
}

void TFontChooser::SetChosenFont(const QFont& font)
{
    font_ = font;
    const QString size = font.pointSizeF() > 0 ? QStringLiteral("%1 пт").arg(font.pointSizeF())
                                               : QStringLiteral("%1 пикс.").arg(font.pixelSize());
    QString text = QStringLiteral("%1, %2").arg(font.family(), size);
    if (font.bold())
        text += QStringLiteral(", жирный");
    if (font.italic())
        text += QStringLiteral(", курсив");
    description_->setText(text);
}

void TFontChooser::Choose()
{
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, font_, this, QStringLiteral("Шрифт"));
    if (ok)
        SetChosenFont(chosen);
}

} // namespace solvane
