#include "plot/WmfPaintEngine.h"

#include "plot/QtText.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QTextItem>

#include <algorithm>
#include <cmath>
#include <utility>

namespace solvane {
namespace {

// Record functions of the metafile format.
enum : quint16 {
    kEof = 0x0000,
    kSaveDc = 0x001E,
    kSetBkMode = 0x0102,
    kSetMapMode = 0x0103,
    kSetPolyFillMode = 0x0106,
    kRestoreDc = 0x0127,
    kSelectObject = 0x012D,
    kSetTextAlign = 0x012E,
    kDeleteObject = 0x01F0,
    kSetTextColor = 0x0209,
    kSetWindowOrg = 0x020B,
    kSetWindowExt = 0x020C,
    kCreatePen = 0x02FA,
    kCreateFont = 0x02FB,
    kCreateBrush = 0x02FC,
    kIntersectClipRect = 0x0416,
    kEllipse = 0x0418,
    kTextOut = 0x0521,
    kPolygon = 0x0324,
    kPolyline = 0x0325,
    kPolyPolygon = 0x0538,
    kStretchDib = 0x0F43,
};

enum { kPen, kBrush, kFont };
constexpr quint16 kRussianCharset = 204;
constexpr quint16 kTransparent = 1;
constexpr quint16 kAnisotropic = 8;
constexpr quint16 kTopLeft = 0; // TA_TOP | TA_LEFT: what every reader places right
constexpr quint32 kSrcCopy = 0x00CC0020;

quint16 Coord(double v) { return static_cast<quint16>(static_cast<qint16>(std::clamp(std::lround(v), -32768L, 32767L))); }

void AddColor(QList<quint16>& words, const QColor& c)
{
    words << static_cast<quint16>(c.red() | (c.green() << 8)) << static_cast<quint16>(c.blue());
}

void AddPoints(QList<quint16>& words, const QPolygonF& polygon)
{
    for (const QPointF& p : polygon)
        words << Coord(p.x()) << Coord(p.y());
}

// Left, top, right, bottom as the records take them: bottom first.
void AddRect(QList<quint16>& words, const QRect& r)
{
    words << Coord(r.bottom() + 1) << Coord(r.right() + 1) << Coord(r.top()) << Coord(r.left());
}

void AddUint32(QList<quint16>& words, quint32 v) { words << static_cast<quint16>(v & 0xFFFF) << static_cast<quint16>(v >> 16); }

QColor BrushColor(const QBrush& brush)
{
    if (brush.gradient() && !brush.gradient()->stops().isEmpty())
        return brush.gradient()->stops().first().second;
    return brush.color();
}

} // namespace

TWmfPaintEngine::TWmfPaintEngine() : QPaintEngine(QPaintEngine::AllFeatures) {}

bool TWmfPaintEngine::begin(QPaintDevice* device)
{
    size_ = QSize(device->width(), device->height());
    records_.clear();
    metafile_.clear();
    objects_.clear();
    maxRecord_ = 0;
    for (QByteArray& key : selected_)
        key.clear();
    textColor_.reset();
    clip_.reset();
    clipAsSet_.reset();
    saved_ = false;
    text_.reset();
    Record(kSetMapMode, {kAnisotropic});
    Record(kSetWindowOrg, {0, 0});
    Record(kSetWindowExt, {Coord(size_.height()), Coord(size_.width())});
    Record(kSetBkMode, {kTransparent});
    Record(kSetTextAlign, {kTopLeft});
    return true;
}

bool TWmfPaintEngine::end()
{
    FlushText();
    ApplyClip(std::nullopt);
    for (const auto& [key, index] : objects_)
        Record(kDeleteObject, {index});
    Record(kEof, {});
    const quint32 words = 9 + static_cast<quint32>(records_.size() / 2);
    TWords header{1, 9, 0x0300};
    AddUint32(header, words);
    header << static_cast<quint16>(objects_.size());
    AddUint32(header, maxRecord_);
    header << 0;
    metafile_.clear();
    for (quint16 w : header)
        metafile_.append(static_cast<char>(w & 0xFF)).append(static_cast<char>(w >> 8));
    metafile_.append(records_);
    return true;
}

void TWmfPaintEngine::Record(quint16 function, const TWords& parameters)
{
    const quint32 size = 3 + static_cast<quint32>(parameters.size());
    maxRecord_ = std::max(maxRecord_, size);
    TWords words;
    AddUint32(words, size);
    words << function << parameters;
    for (quint16 w : words)
        records_.append(static_cast<char>(w & 0xFF)).append(static_cast<char>(w >> 8));
}

void TWmfPaintEngine::AddText(TWords& words, const QByteArray& bytes)
{
    for (qsizetype i = 0; i < bytes.size(); i += 2) {
        const quint16 lo = static_cast<unsigned char>(bytes[i]);
        const quint16 hi = i + 1 < bytes.size() ? static_cast<unsigned char>(bytes[i + 1]) : 0;
        words << static_cast<quint16>(lo | (hi << 8));
    }
}

void TWmfPaintEngine::updateState(const QPaintEngineState& state)
{
    FlushText();
    const QPaintEngine::DirtyFlags flags = state.state();
    if (flags & DirtyTransform)
        transform_ = state.transform();
    if (flags & DirtyPen)
        pen_ = state.pen();
    if (flags & DirtyBrush)
        brush_ = state.brush();
    if (flags & (DirtyClipPath | DirtyClipRegion | DirtyClipEnabled)) {
        if (flags & (DirtyClipPath | DirtyClipRegion)) {
            if (state.clipOperation() == Qt::NoClip) {
                clipAsSet_.reset();
            } else {
                const QRect bounds = (flags & DirtyClipPath)
                                         ? transform_.map(state.clipPath()).boundingRect().toAlignedRect()
                                         : transform_.map(state.clipRegion()).boundingRect();
                const bool intersect = state.clipOperation() == Qt::IntersectClip && clipAsSet_;
                clipAsSet_ = intersect ? *clipAsSet_ & bounds : bounds;
            }
        }
        // Clipping switched off keeps the clip for when it is switched on again.
        ApplyClip(state.isClipEnabled() ? clipAsSet_ : std::nullopt);
    }
}

// The clip lives between a SaveDC and its RestoreDC, so that a new clip is
// not intersected with the one before. The restore may reselect anything.
void TWmfPaintEngine::ApplyClip(std::optional<QRect> clip)
{
    if (clip == clip_ && saved_ == clip.has_value())
        return;
    if (saved_) {
        Record(kRestoreDc, {static_cast<quint16>(-1)});
        saved_ = false;
        for (QByteArray& key : selected_)
            key.clear();
        textColor_.reset();
    }
    clip_ = clip;
    if (clip) {
        Record(kSaveDc, {});
        TWords r;
        AddRect(r, *clip);
        Record(kIntersectClipRect, r);
        saved_ = true;
    }
}

void TWmfPaintEngine::Select(int kind, const QByteArray& key, quint16 create, const TWords& parameters)
{
    if (selected_[kind] == key)
        return;
    auto found = objects_.find({kind, key});
    if (found == objects_.end()) {
        Record(create, parameters);
        // A new object takes the lowest free index; none is freed before the end.
        found = objects_.emplace(std::make_pair(kind, key), static_cast<quint16>(objects_.size())).first;
    }
    Record(kSelectObject, {found->second});
    selected_[kind] = key;
}

double TWmfPaintEngine::Scale() const { return std::sqrt(std::abs(transform_.determinant())); }

void TWmfPaintEngine::SelectPen()
{
    quint16 style = 0;
    switch (pen_.style()) {
    case Qt::NoPen: style = 5; break;
    case Qt::DashLine: case Qt::CustomDashLine: style = 1; break;
    case Qt::DotLine: style = 2; break;
    case Qt::DashDotLine: style = 3; break;
    case Qt::DashDotDotLine: style = 4; break;
    default: style = 0; break;
    }
    if (pen_.color().alpha() == 0)
        style = 5;
    const quint16 width = pen_.isCosmetic() ? 0 : Coord(pen_.widthF() * Scale());
    TWords p{style, width, 0};
    AddColor(p, pen_.color());
    QByteArray key;
    for (quint16 w : p)
        key.append(reinterpret_cast<const char*>(&w), 2);
    Select(kPen, key, kCreatePen, p);
}

void TWmfPaintEngine::SelectBrush()
{
    const QColor color = BrushColor(brush_);
    const bool none = brush_.style() == Qt::NoBrush || color.alpha() == 0;
    TWords p{static_cast<quint16>(none ? 1 : 0)};
    AddColor(p, none ? QColor(Qt::black) : color);
    p << 0;
    QByteArray key;
    for (quint16 w : p)
        key.append(reinterpret_cast<const char*>(&w), 2);
    Select(kBrush, key, kCreateBrush, p);
}

void TWmfPaintEngine::SelectFont(const QFont& font, double angle)
{
    const double pixels = font.pixelSize() > 0 ? font.pixelSize() : font.pointSizeF() * paintDevice()->logicalDpiY() / 72.0;
    const quint16 height = Coord(-pixels * Scale());
    const quint16 escapement = Coord(-angle * 10);
    TWords p{height, 0, escapement, escapement, static_cast<quint16>(font.weight())};
    p << static_cast<quint16>((font.italic() ? 1 : 0) | (font.underline() ? 0x100 : 0));
    p << static_cast<quint16>((font.strikeOut() ? 1 : 0) | (kRussianCharset << 8));
    p << 0 << 0; // precisions, quality, pitch and family: the defaults
    AddText(p, QByteArray::fromStdString(ToCp1251(font.family())).left(31).append('\0'));
    QByteArray key;
    for (quint16 w : p)
        key.append(reinterpret_cast<const char*>(&w), 2);
    Select(kFont, key, kCreateFont, p);
}

void TWmfPaintEngine::SetTextColor(const QColor& color)
{
    if (textColor_ == color.rgb())
        return;
    TWords p;
    AddColor(p, color);
    Record(kSetTextColor, p);
    textColor_ = color.rgb();
}

void TWmfPaintEngine::Poly(quint16 function, const QPolygonF& polygon)
{
    FlushText();
    if (polygon.size() < 2)
        return;
    SelectPen();
    if (function != kPolyline)
        SelectBrush();
    TWords p{static_cast<quint16>(polygon.size())};
    AddPoints(p, polygon);
    Record(function, p);
}

void TWmfPaintEngine::drawLines(const QLineF* lines, int count)
{
    for (int i = 0; i < count; ++i)
        Poly(kPolyline, transform_.map(QPolygonF({lines[i].p1(), lines[i].p2()})));
}

void TWmfPaintEngine::drawPolygon(const QPointF* points, int count, PolygonDrawMode mode)
{
    const QPolygonF polygon = transform_.map(QPolygonF(QList<QPointF>(points, points + count)));
    if (mode == PolylineMode) {
        Poly(kPolyline, polygon);
        return;
    }
    const Qt::FillRule rule = mode == WindingMode ? Qt::WindingFill : Qt::OddEvenFill;
    if (rule != fillRule_) {
        Record(kSetPolyFillMode, {static_cast<quint16>(rule == Qt::WindingFill ? 2 : 1)});
        fillRule_ = rule;
    }
    Poly(kPolygon, polygon);
}

void TWmfPaintEngine::drawRects(const QRectF* rects, int count)
{
    for (int i = 0; i < count; ++i)
        Poly(kPolygon, transform_.map(QPolygonF(rects[i])));
}

void TWmfPaintEngine::drawEllipse(const QRectF& rect)
{
    if (transform_.isRotating()) {
        QPainterPath path;
        path.addEllipse(rect);
        drawPath(path);
        return;
    }
    FlushText();
    SelectPen();
    SelectBrush();
    TWords p;
    AddRect(p, transform_.mapRect(rect).toRect().adjusted(0, 0, -1, -1));
    Record(kEllipse, p);
}

void TWmfPaintEngine::drawPath(const QPainterPath& path)
{
    const QList<QPolygonF> parts = path.toSubpathPolygons(transform_);
    if (brush_.style() == Qt::NoBrush) {
        for (const QPolygonF& part : parts)
            Poly(kPolyline, part);
        return;
    }
    if (parts.isEmpty())
        return;
    FlushText();
    SelectPen();
    SelectBrush();
    TWords p{static_cast<quint16>(parts.size())};
    for (const QPolygonF& part : parts)
        p << static_cast<quint16>(part.size());
    for (const QPolygonF& part : parts)
        AddPoints(p, part);
    Record(kPolyPolygon, p);
}

void TWmfPaintEngine::drawTextItem(const QPointF& p, const QTextItem& textItem)
{
    const QByteArray bytes = QByteArray::fromStdString(ToCp1251(textItem.text()));
    if (bytes.isEmpty())
        return;
    if (text_ && text_->Font == textItem.font() && text_->Color == pen_.color() && text_->Start.y() == p.y() &&
        std::abs(text_->EndX - p.x()) < 0.5) {
        text_->Bytes += bytes;
        text_->EndX = p.x() + textItem.width();
        text_->Ascent = std::max(text_->Ascent, textItem.ascent());
        return;
    }
    FlushText();
    text_ = TPendingText{bytes, textItem.font(), pen_.color(), p, p.x() + textItem.width(), textItem.ascent()};
}

// The text's top left corner: what every reader places right.
void TWmfPaintEngine::FlushText()
{
    if (!text_)
        return;
    const TPendingText text = *std::exchange(text_, std::nullopt);
    const double angle = std::atan2(transform_.m12(), transform_.m11()) * 180 / M_PI;
    SelectFont(text.Font, angle);
    SetTextColor(text.Color);
    const QPointF at = transform_.map(text.Start - QPointF(0, text.Ascent));
    TWords words{static_cast<quint16>(text.Bytes.size())};
    AddText(words, text.Bytes);
    words << Coord(at.y()) << Coord(at.x());
    Record(kTextOut, words);
}

void TWmfPaintEngine::drawPixmap(const QRectF& r, const QPixmap& pm, const QRectF& sr)
{
    drawImage(r, pm.toImage(), sr, Qt::AutoColor);
}

// An image as a 24-bit device-independent bitmap, over white where it is transparent.
void TWmfPaintEngine::drawImage(const QRectF& r, const QImage& image, const QRectF& sr, Qt::ImageConversionFlags)
{
    const QImage source = image.copy(sr.toAlignedRect());
    if (source.isNull())
        return;
    FlushText();
    QImage flat(source.size(), QImage::Format_RGB888);
    flat.fill(Qt::white);
    {
        QPainter painter(&flat);
        painter.drawImage(0, 0, source);
    }
    const int w = flat.width();
    const int h = flat.height();
    const int stride = (w * 3 + 3) & ~3;
    QByteArray dib;
    auto add32 = [&dib](quint32 v) { for (int i = 0; i < 4; ++i) dib.append(static_cast<char>((v >> (8 * i)) & 0xFF)); };
    add32(40);
    add32(static_cast<quint32>(w));
    add32(static_cast<quint32>(h));
    add32(1 | (24 << 16)); // planes, bits per pixel
    add32(0);
    add32(static_cast<quint32>(stride * h));
    add32(0), add32(0), add32(0), add32(0);
    for (int y = h - 1; y >= 0; --y) { // bottom-up rows of blue, green, red
        const uchar* line = flat.constScanLine(y);
        QByteArray row(stride, '\0');
        for (int x = 0; x < w; ++x) {
            row[3 * x] = static_cast<char>(line[3 * x + 2]);
            row[3 * x + 1] = static_cast<char>(line[3 * x + 1]);
            row[3 * x + 2] = static_cast<char>(line[3 * x]);
        }
        dib.append(row);
    }
    const QRect target = transform_.mapRect(r).toAlignedRect();
    TWords p;
    AddUint32(p, kSrcCopy);
    p << 0 << Coord(h) << Coord(w) << 0 << 0; // colours as RGB, the source
    p << Coord(target.height()) << Coord(target.width()) << Coord(target.top()) << Coord(target.left());
    AddText(p, dib);
    Record(kStretchDib, p);
}

} // namespace solvane
