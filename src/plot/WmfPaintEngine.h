#pragma once
// A paint engine that writes a Windows metafile in the older, non-enhanced
// format (16-bit records): what a chart looks like as pens, brushes, fonts,
// polylines, polygons, ellipses, text and rectangular clips, so that another
// program can still edit it. Text stays text, in Windows-1251 with the Russian
// character set. Pens, brushes and fonts are created once per distinct style
// and kept until the end, so that a RestoreDC never reselects a deleted object.
#include <QBrush>
#include <QByteArray>
#include <QFont>
#include <QPaintEngine>
#include <QPen>
#include <QRect>
#include <QTransform>

#include <map>
#include <optional>

namespace solvane {

class TWmfPaintEngine : public QPaintEngine {
public:
    TWmfPaintEngine();

    bool begin(QPaintDevice* device) override;
    bool end() override;
    void updateState(const QPaintEngineState& state) override;
    Type type() const override { return QPaintEngine::User; }

    void drawLines(const QLineF* lines, int count) override;
    void drawPolygon(const QPointF* points, int count, PolygonDrawMode mode) override;
    void drawRects(const QRectF* rects, int count) override;
    void drawEllipse(const QRectF& rect) override;
    void drawPath(const QPainterPath& path) override;
    void drawTextItem(const QPointF& p, const QTextItem& textItem) override;
    void drawPixmap(const QRectF& r, const QPixmap& pm, const QRectF& sr) override;
    void drawImage(const QRectF& r, const QImage& image, const QRectF& sr, Qt::ImageConversionFlags flags) override;

    // The records from the header to the end-of-file record, after end().
    const QByteArray& Metafile() const { return metafile_; }

private:
    using TWords = QList<quint16>;
    void Record(quint16 function, const TWords& parameters);
    static void AddText(TWords& words, const QByteArray& bytes); // bytes padded to whole words
    // The object of this key, created on first use, selected when it is not yet.
    void Select(int kind, const QByteArray& key, quint16 create, const TWords& parameters);
    void SelectPen();
    void SelectBrush();
    void SelectFont(const QFont& font, double angle);
    void SetTextColor(const QColor& color);
    void Poly(quint16 function, const QPolygonF& polygon); // device coordinates
    void ApplyClip(std::optional<QRect> clip);
    void FlushText();
    double Scale() const;

    QByteArray records_;
    QByteArray metafile_;
    quint32 maxRecord_ = 0;
    QSize size_;
    std::map<std::pair<int, QByteArray>, quint16> objects_; // (kind, key) -> index
    QByteArray selected_[3]; // key selected per kind (pen, brush, font); empty: unknown
    std::optional<QRgb> textColor_;
    QPen pen_;
    QBrush brush_;
    QTransform transform_;
    Qt::FillRule fillRule_ = Qt::OddEvenFill;
    std::optional<QRect> clip_;      // in force in the metafile
    std::optional<QRect> clipAsSet_; // the painter's, also while clipping is off
    bool saved_ = false; // a SaveDC awaits its RestoreDC

    // Qt hands a line over in pieces per script (Latin, Cyrillic); the pieces
    // that continue each other go out as one text, so that a reader with
    // other font widths does not open gaps between them.
    struct TPendingText {
        QByteArray Bytes;
        QFont Font;
        QColor Color;
        QPointF Start; // baseline, before the transform
        double EndX = 0;
        double Ascent = 0;
    };
    std::optional<TPendingText> text_;
};

} // namespace solvane
