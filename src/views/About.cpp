#include "views/About.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace solvane {
namespace {

// A label drawn as a link: underlined, blue, with a hand cursor. Releasing
// the mouse over it opens the address; the event goes no further.
class TLinkLabel : public QLabel {
public:
    explicit TLinkLabel(QWidget* parent)
        : QLabel(parent)
    {
        QFont underlined = font();
        underlined.setUnderline(true);
        setFont(underlined);
        QPalette blue = palette();
        blue.setColor(QPalette::WindowText, Qt::blue);
        setPalette(blue);
        setCursor(Qt::PointingHandCursor);
    }
    QUrl Url;

protected:
    void mousePressEvent(QMouseEvent* event) override { event->accept(); }
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        event->accept();
        if (rect().contains(event->position().toPoint()))
            QDesktopServices::openUrl(Url);
    }
};

// The pale green of the mosaic's two-phase regions.
const QColor kBannerColor(0xC0, 0xDC, 0xC0);
const QColor kTwoPhaseColor(0x8F, 0xBF, 0x8F);
const QColor kEmblemColor(0x2E, 0x5E, 0x2E);

// A small eutectic diagram as the mosaic draws it: the liquid white above
// the two liquidus branches, the two-phase areas green below them, and the
// eutectic line through the point where the branches meet.
void PaintEmblem(QPainter& painter, const QRectF& box)
{
    const auto at = [&](double x, double y) { return QPointF(box.left() + x * box.width(), box.top() + y * box.height()); };
    const QPointF eutectic = at(0.42, 0.64);
    QPainterPath twoPhase;
    twoPhase.moveTo(at(0, 0.14));
    twoPhase.quadTo(at(0.2, 0.44), eutectic);
    twoPhase.quadTo(at(0.72, 0.38), at(1, 0.22));
    twoPhase.lineTo(at(1, 1));
    twoPhase.lineTo(at(0, 1));
    twoPhase.closeSubpath();
    painter.fillRect(box, Qt::white);
    painter.fillPath(twoPhase, kTwoPhaseColor);
    painter.setPen(QPen(kEmblemColor, 1.5));
    painter.drawLine(at(0, 0.64), at(1, 0.64));
    painter.drawPath(twoPhase);
    painter.setBrush(kEmblemColor);
    painter.drawEllipse(eutectic, 2.5, 2.5);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(box);
}

} // namespace

TfmAbout::TfmAbout(const QUrl& documentation, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("О программе..."));
    setModal(true);
    setFixedSize(DesignWidth, DesignHeight);

    auto* title = new QLabel(QStringLiteral("Solvane"), this);
    title->setObjectName(QStringLiteral("title"));
    title->setFont(QFont(QStringLiteral("Times New Roman"), 30, QFont::Bold));
    subtitle_ = new QLabel(QStringLiteral("расчет фазовых диаграмм"), this);
    subtitle_->setFont(QFont(QStringLiteral("Times New Roman"), 14, -1, true));

    auto* credits = new QLabel(QStringLiteral("Solvane — открытый проект\nВерсия %1\n© Участники проекта Solvane")
                                   .arg(QStringLiteral(SOLVANE_VERSION)),
                               this);
    credits->setObjectName(QStringLiteral("credits"));

    auto* link = new TLinkLabel(this);
    link->setObjectName(QStringLiteral("link"));
    link_ = link;

    close_ = new QPushButton(QStringLiteral("Закрыть"), this);
    close_->setObjectName(QStringLiteral("close"));
    close_->setFlat(true);
    close_->setCursor(Qt::PointingHandCursor);
    close_->setMinimumWidth(96);
    connect(close_, &QPushButton::clicked, this, &QDialog::accept);

    // The emblem is painted on the background to the left of the name.
    constexpr int emblemSize = 64;
    auto* names = new QVBoxLayout;
    names->setSpacing(0);
    names->addWidget(title);
    names->addWidget(subtitle_);
    auto* banner = new QHBoxLayout;
    banner->addSpacing(emblemSize + 20);
    banner->addLayout(names, 1);

    auto* text = new QVBoxLayout;
    text->setContentsMargins(emblemSize + 20, 0, 0, 0);
    text->addWidget(credits);
    text->addSpacing(8);
    text->addWidget(link_, 0, Qt::AlignLeft);

    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch();
    buttonRow->addWidget(close_);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 16, 16, 12);
    layout->addLayout(banner);
    layout->addSpacing(34);
    layout->addLayout(text);
    layout->addStretch();
    layout->addLayout(buttonRow);
    emblem_ = QRectF(24.5, 22.5, emblemSize, emblemSize);

    SetDocumentationUrl(documentation);
}

void TfmAbout::SetDocumentationUrl(const QUrl& url, const QString& caption)
{
    documentation_ = url;
    static_cast<TLinkLabel*>(link_)->Url = url;
    link_->setText(caption.isEmpty() ? QStringLiteral("Документация программы") : caption);
    link_->setToolTip(url.toDisplayString());
    link_->setVisible(url.isValid());
}

void TfmAbout::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        accept();
        return;
    default:
        if (!event->text().isEmpty()) {
            accept();
            return;
        }
        QDialog::keyPressEvent(event);
    }
}

void TfmAbout::mouseReleaseEvent(QMouseEvent* event)
{
    // A release over a label reaches the dialog too (labels pass mouse
    // events on); only the bare background closes it.
    if (!childAt(event->position().toPoint()))
        accept();
    else
        QDialog::mouseReleaseEvent(event);
}

void TfmAbout::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(QRect(0, 0, width(), subtitle_->geometry().bottom() + 18), kBannerColor);
    PaintEmblem(painter, emblem_);
    // A rule above the button marks the dialog's foot.
    const int rule = close_->geometry().top() - 8;
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawLine(16, rule, width() - 16, rule);
}

void TfmAbout::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (const QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
}

} // namespace solvane
