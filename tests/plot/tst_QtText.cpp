#include "plot/QtText.h"

#include <QtTest>

using namespace solvane;

class TestQtText : public QObject {
    Q_OBJECT
private slots:
    void CyrillicRoundTrips();
    void RefusesWhatWindows1251Lacks_data();
    void RefusesWhatWindows1251Lacks();
};

void TestQtText::CyrillicRoundTrips()
{
    const QString text = QStringLiteral("Название задачи: Ёё № – 5 €");
    const std::string bytes = ToCp1251(text);
    QCOMPARE(bytes.size(), static_cast<std::size_t>(text.size()));
    QCOMPARE(bytes.substr(0, 3), std::string("\xCD\xE0\xE7"));
    QCOMPARE(FromCp1251(bytes), text);
    QCOMPARE(FromCp1251(std::string("\xA8\xB8\xB9")), QStringLiteral("Ёё№"));
}

void TestQtText::RefusesWhatWindows1251Lacks_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("firstBad"); // empty when the text fits
    QTest::newRow("latin and cyrillic") << QStringLiteral("Fe-Ni, железо?") << QString();
    QTest::newRow("polish l") << QStringLiteral("Miedź-łącze") << QStringLiteral("ź");
    QTest::newRow("replacement char") << QStringLiteral("a\uFFFD") << QStringLiteral("\uFFFD");
    QTest::newRow("emoji") << QStringLiteral("T = 300 \U0001F600") << QStringLiteral("\U0001F600");
}

void TestQtText::RefusesWhatWindows1251Lacks()
{
    QFETCH(QString, text);
    QFETCH(QString, firstBad);
    QChar bad;
    QCOMPARE(FitsCp1251(text, &bad), firstBad.isEmpty());
    const QString refusal = Cp1251Refusal(text);
    if (firstBad.isEmpty()) {
        QVERIFY(refusal.isEmpty());
    } else {
        QCOMPARE(bad, firstBad.at(0));
        QVERIFY2(refusal.contains(QLatin1Char('"') + firstBad + QLatin1Char('"')), qPrintable(refusal));
        const QString code = QString::number(firstBad.toUcs4().at(0), 16).toUpper().rightJustified(4, QLatin1Char('0'));
        QVERIFY2(refusal.contains(QStringLiteral("U+") + code), qPrintable(refusal));
    }
}

QTEST_GUILESS_MAIN(TestQtText)
#include "tst_QtText.moc"
