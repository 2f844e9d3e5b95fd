// The copied and exported diagram, checked by readers that are not ours:
// libwmf's wmf2svg reads the metafile, Qt's image and XML readers the rest.
#include "plot/DiagramPicture.h"

#include "calc/Run.h"
#include "views/Diagram2.h"
#include "plot/DiagramLabel.h"
#include "plot/QtText.h"

#include <QMimeData>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

#include "EutecticRun.h"

using namespace solvane;

namespace {

using test::RunEutectic;

quint16 Word(const QByteArray& bytes, int at)
{
    return static_cast<quint16>(static_cast<uchar>(bytes[at]) | (static_cast<uchar>(bytes[at + 1]) << 8));
}

} // namespace

class TestDiagramPicture : public QObject {
    Q_OBJECT
private slots:
    void MetafileReadByLibwmf();
    void ClipboardAndFiles();
};

void TestDiagramPicture::MetafileReadByLibwmf()
{
    const QString wmf2svg = QStandardPaths::findExecutable(QStringLiteral("wmf2svg"));
    if (wmf2svg.isEmpty())
        QSKIP("wmf2svg (libwmf-bin) is not installed");
    QTemporaryDir dir;
    TRun run;
    RunEutectic(run);
    TfmDiagram2 diagram(dir.filePath("Chart.cfg"));
    const SpecialPointsResult& found = diagram.Build(run, "Temperature").Special;
    TDiagramLabel* liquid = diagram.PlaceLabel(QPoint(300, 100));
    QVERIFY(liquid);
    liquid->setText(QStringLiteral("Жидкость"));
    const QByteArray wmf = diagram.Picture().Wmf();

    // The placeable header: key, bounds of the picture, checksum of its ten words.
    QCOMPARE(Word(wmf, 0) | (Word(wmf, 2) << 16), 0x9AC6CDD7u);
    const QSize size = diagram.Picture().Size();
    QCOMPARE(size, diagram.Chart()->size() - QSize(1, 1));
    QCOMPARE(QSize(Word(wmf, 10), Word(wmf, 12)), size);
    quint16 checksum = 0;
    for (int i = 0; i < 20; i += 2)
        checksum ^= Word(wmf, i);
    QCOMPARE(Word(wmf, 20), checksum);

    const QString path = dir.filePath("d.wmf");
    QCOMPARE(SaveBytes(path, wmf), QString());
    QProcess reader;
    reader.start(wmf2svg, {QStringLiteral("-o"), dir.filePath("d.svg"), path});
    const bool finished = reader.waitForFinished(60000);
    // A reader that fails says why only on its own output: show it with the failure.
    const QByteArray readerSaid = reader.readAllStandardError() + reader.readAllStandardOutput();
    QVERIFY2(finished, readerSaid.constData());
    QVERIFY2(reader.exitStatus() == QProcess::NormalExit && reader.exitCode() == 0,
             qPrintable(QStringLiteral("wmf2svg exited %1: %2").arg(reader.exitCode()).arg(QString::fromLocal8Bit(readerSaid))));
    QFile file(dir.filePath("d.svg"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray svg = file.readAll();

    QStringList texts; // wmf2svg writes each text as it was, in Windows-1251
    static const QRegularExpression text(QStringLiteral(">([^<>]+)</text>"));
    for (const auto& m : text.globalMatch(QString::fromLatin1(svg)))
        texts << m.captured(1);
    for (const char* axisNumber : {"0", "0.2", "0.8", "1", "400", "600"})
        QVERIFY2(texts.contains(QLatin1String(axisNumber)), axisNumber);
    QVERIFY(texts.contains(QStringLiteral("T, K")));
    QVERIFY(texts.contains(QString::fromLatin1(ToCp1251(QStringLiteral("Жидкость")))));
    // A circle per boundary point and per special point.
    QCOMPARE(svg.count("<ellipse"), run.Results().ZHigh + 1 + static_cast<qsizetype>(found.SeriesPoints.size()));
}

void TestDiagramPicture::ClipboardAndFiles()
{
    QTemporaryDir dir;
    TRun run;
    RunEutectic(run);
    TfmDiagram2 diagram(dir.filePath("Chart.cfg"));
    diagram.Build(run, "Temperature");
    const TDiagramPicture picture = diagram.Picture();

    std::unique_ptr<QMimeData> data(picture.MimeData());
    QVERIFY(data->hasImage());
    QCOMPARE(data->data("image/x-wmf"), picture.Wmf());
    QXmlStreamReader svg(data->data("image/svg+xml"));
    while (!svg.atEnd())
        svg.readNext();
    QVERIFY2(!svg.hasError(), qPrintable(svg.errorString()));

    const QImage doubled = QImage::fromData(picture.Png(2));
    QCOMPARE(doubled.size(), picture.Size() * 2);
    QVERIFY(picture.Pdf().startsWith("%PDF-"));

    // A file that cannot be written gives the reason and leaves nothing behind.
    const QString blocked = dir.filePath("missing/d.svg");
    QVERIFY(!SavePicture(picture, TPictureFormat::Svg, blocked).isEmpty());
    QVERIFY(!QFile::exists(blocked));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList());
}

QTEST_MAIN(TestDiagramPicture)
#include "tst_DiagramPicture.moc"
