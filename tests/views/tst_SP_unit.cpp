#include "views/SP_unit.h"

#include <QtTest>

using namespace solvane;

namespace {

// The first `count` of two nodes.
TNamedList<TNode> Nodes(int count)
{
    const TNode nodes[] = {{800, 0.35, 0.2, 0.5}, {612.5, 0.66666, 0.6, 0.7}};
    TNamedList<TNode> list;
    for (int i = 0; i < count; ++i)
        list.push_back({"", std::make_unique<TNode>(nodes[i])});
    return list;
}

QStringList Row(const TfmSpecPoints& window, int row)
{
    QStringList texts;
    for (int c = 0; c < 4; ++c)
        texts << window.CellText(c, row);
    return texts;
}

} // namespace

class TestSpecPoints : public QObject {
    Q_OBJECT
private slots:
    void TableOfTheNodes_data();
    void TableOfTheNodes();
    void ListKeepsItsLinesWhenTheTableIsFilled();
};

void TestSpecPoints::TableOfTheNodes_data()
{
    QTest::addColumn<int>("nodes");
    QTest::addColumn<bool>("temperature");
    QTest::addColumn<char>("separator");
    QTest::addColumn<QStringList>("header");
    QTest::addColumn<QStringList>("row1");
    const QStringList empty{"", "", "", ""};
    QTest::newRow("no nodes") << 0 << true << '.' << QStringList{" T", " X(лев.)", " X", " X(прав.)"} << empty;
    QTest::newRow("Y is \"Y\"") << 1 << false << '.' << QStringList{" P", " X(лев.)", " X", " X(прав.)"}
                                << QStringList{" 800", " 0.2", " 0.35", " 0.5"};
    QTest::newRow("two nodes, comma") << 2 << true << ',' << QStringList{" T", " X(лев.)", " X", " X(прав.)"}
                                      << QStringList{" 800", " 0,2", " 0,35", " 0,5"};
}

void TestSpecPoints::TableOfTheNodes()
{
    QFETCH(int, nodes);
    QFETCH(bool, temperature);
    QFETCH(char, separator);
    QFETCH(QStringList, header);
    QFETCH(QStringList, row1);
    TfmSpecPoints window;
    QCOMPARE(window.windowTitle(), QStringLiteral("Special points coordinates"));
    window.FillTable(Nodes(2), true, '.'); // the rows of an earlier fill go
    window.FillTable(Nodes(nodes), temperature, separator);
    QCOMPARE(window.RowCount(), std::max(nodes, 1) + 1);
    QCOMPARE(Row(window, 0), header);
    QCOMPARE(Row(window, 1), row1);
    if (nodes == 2)
        QCOMPARE(Row(window, 2), (QStringList{" 612,5", " 0,6", " 0,667", " 0,7"}));
}

void TestSpecPoints::ListKeepsItsLinesWhenTheTableIsFilled()
{
    TfmSpecPoints window;
    QVERIFY(window.OtherPoints().isEmpty());
    window.SetOtherPoints({"T(X = 0.5) = 800 ", "P(X = 0.25) = 1.5 \xD2"});
    window.FillTable({}, true, '.');
    QCOMPARE(window.OtherPoints(), (QStringList{"T(X = 0.5) = 800 ", "P(X = 0.25) = 1.5 Т"}));
    window.SetOtherPoints({});
    QVERIFY(window.OtherPoints().isEmpty());
}

QTEST_MAIN(TestSpecPoints)
#include "tst_SP_unit.moc"
