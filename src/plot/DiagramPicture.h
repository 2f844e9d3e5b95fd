#pragma once
// The phase diagram as a picture, for the clipboard, the export and the
// command-line tool alike: the chart drawn into its outer rectangle less one
// pixel each way, then the phase labels from the last to the first, each with
// its font at its top-left corner, without background.
#include <QByteArray>
#include <QList>
#include <QSize>
#include <QString>

class QCPPainter;
class QCustomPlot;
class QImage;
class QMimeData;

namespace solvane {

class TDiagramLabel;

enum class TPictureFormat { Svg, Png, Pdf, Wmf };

struct TDiagramPicture {
    QCustomPlot* Chart = nullptr;
    QList<TDiagramLabel*> Labels; // in creation order
    QString Title;                // the SVG's and the PDF's title

    QSize Size() const; // of the chart's outer rectangle, less one pixel, at least 1 x 1
    // Onto an active painter whose device is at least Size() (times any scale it was given).
    void Draw(QCPPainter& painter, bool vector) const;

    QByteArray Wmf() const; // a .wmf file: the placeable header, then the metafile
    QByteArray Svg() const;
    QByteArray Pdf() const;
    QImage Image(double scale = 1) const; // white behind, scale times Size()
    QByteArray Png(double scale = 1) const; // with the resolution scale x 96 dpi recorded

    // The clipboard's content: the metafile ("image/x-wmf"), the SVG and the bitmap.
    QMimeData* MimeData() const;
};

// The picture in the format, through a temporary file renamed over the target:
// a failure leaves no half-written file. Empty, or the reason it failed.
QString SavePicture(const TDiagramPicture& picture, TPictureFormat format, const QString& path, double pngScale = 1);

// Bytes through a temporary file renamed over the target. Empty, or the reason.
QString SaveBytes(const QString& path, const QByteArray& bytes);

} // namespace solvane
