#include "views/MDiagram.h"

#include "calc/Mosaic.h"

#include <QtTest>

using namespace solvane;

namespace {

// Pixels of the picture that are not white, as a bounding rectangle.
QRect PaintedArea(const QImage& picture)
{
    QRect area;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            if (picture.pixel(x, y) != qRgb(255, 255, 255))
                area |= QRect(x, y, 1, 1);
    return area;
}

std::vector<TZPoint> Ends(std::initializer_list<double> xs)
{
    std::vector<TZPoint> ends;
    for (double x : xs)
        ends.emplace_back().X = x;
    return ends;
}

} // namespace

class TestMDiagram : public QObject {
    Q_OBJECT
private slots:
    void ResetGivesAWhitePictureOfTheClientSize();
    void SegmentsColourExactlyTheirSpans();
    void PointPhaseMarkIsARedCircleInItsBox();
    void ClosingOnlyHides();
};

void TestMDiagram::ResetGivesAWhitePictureOfTheClientSize()
{
    TfmMDiagram mosaic;
    QCOMPARE(mosaic.windowTitle(), QStringLiteral("Mosaic diagram"));
    QCOMPARE(mosaic.Picture().size(), QSize(410, 527));
    mosaic.DrawSegments(Ends({0.1, 0.9}), 5, 0, 1, 0);
    mosaic.resize(300, 200);
    mosaic.ResetPicture();
    QCOMPARE(mosaic.PictureWidth(), 300);
    QCOMPARE(mosaic.PictureHeight(), 200);
    QVERIFY(PaintedArea(mosaic.Picture()).isNull());
}

void TestMDiagram::SegmentsColourExactlyTheirSpans()
{
    TfmMDiagram mosaic;
    const int row = 40;
    const double xmin = 0.2, xmax = 0.8;
    // Two segments, the second with its ends in falling order.
    const std::vector<TZPoint> ends = Ends({0.3, 0.5, 0.75, 0.7});
    const std::uint32_t color = 0x00CC2211; // red 0x11, green 0x22, blue 0xCC
    mosaic.DrawSegments(ends, row, xmin, xmax, color);
    mosaic.DrawSegments(ends, mosaic.PictureHeight(), xmin, xmax, color); // below the picture: nothing

    const QImage& picture = mosaic.Picture();
    const TPixelSpan first = SegmentPixelSpan(0.3, 0.5, xmin, xmax, picture.width());
    const TPixelSpan second = SegmentPixelSpan(0.75, 0.7, xmin, xmax, picture.width());
    for (int x = 0; x < picture.width(); ++x) {
        const bool inside = (x >= first.First && x <= first.Last) || (x >= second.First && x <= second.Last);
        QCOMPARE(picture.pixel(x, row), inside ? qRgb(0x11, 0x22, 0xCC) : qRgb(255, 255, 255));
    }
    QCOMPARE(PaintedArea(picture), QRect(QPoint(first.First, row), QPoint(second.Last, row)));
}

void TestMDiagram::PointPhaseMarkIsARedCircleInItsBox()
{
    TfmMDiagram mosaic;
    mosaic.MarkPointPhase(0.5, 100);
    const QImage& picture = mosaic.Picture();
    const TPixelBox box = PointPhaseMarkBox(0.5, picture.width(), 100);
    // The circle keeps inside its box, right and bottom edges excluded.
    const QRect area = PaintedArea(picture);
    QVERIFY(!area.isNull());
    QVERIFY(QRect(QPoint(box.Left, box.Top), QPoint(box.Right - 1, box.Bottom - 1)).contains(area));
    int red = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            red += picture.pixel(x, y) == qRgb(255, 0, 0);
    QVERIFY(red >= 4);
}

void TestMDiagram::ClosingOnlyHides()
{
    TfmMDiagram mosaic;
    mosaic.show();
    QVERIFY(QTest::qWaitForWindowExposed(&mosaic));
    QVERIFY(mosaic.close());
    QVERIFY(!mosaic.isVisible());
    QVERIFY(!mosaic.testAttribute(Qt::WA_DeleteOnClose));
}

QTEST_MAIN(TestMDiagram)
#include "tst_MDiagram.moc"
