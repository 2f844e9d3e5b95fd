#include "views/SP_unit.h"

#include <QtTest>

using namespace solvane;

namespace {

// The first `count` of two nodes.
std::vector<TNode> Nodes(int count)
{
    const TNode nodes[] = {{800, 0.35, 0.2, 0.5}, {612.5, 0.66666, 0.6, 0.7}};
    return {nodes, nodes + count};
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
    void RefinedNodesAndPoints();
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

void TestSpecPoints::RefinedNodesAndPoints()
{
    TRefinement refinement;
    refinement.Nodes.push_back({480.978451, 0, 0.3910631, 1, {"SA", "L", "0.5"}, true});
    refinement.Points.push_back({TRefinedPointKind::Critical, 1202.7, 0.5, {"S"}, false});
    refinement.PointPhases = {"0.5"};
    TfmSpecPoints window;
    QCOMPARE(window.RefinedRowCount(), 1); // the header only
    window.FillRefined(refinement, false, ',');
    QCOMPARE(window.RefinedRowCount(), 3);
    QStringList header, node, point;
    for (int c = 0; c < 6; ++c) {
        header << window.RefinedText(c, 0);
        node << window.RefinedText(c, 1);
        point << window.RefinedText(c, 2);
    }
    QCOMPARE(header, (QStringList{" Вид", " P", " X(лев.)", " X", " X(прав.)", " Фазы"}));
    // A point phase reads as its grid column does.
    QCOMPARE(node, (QStringList{" Нода", " 480,9785", " 0", " 0,391063", " 1", " SA+L+C0.5"}));
    // A value the refinement could not trust is the grid's, and says so.
    QCOMPARE(point, (QStringList{" Критическая (сетка)", " 1202,7", "", " 0,5", "", " S"}));
    window.FillRefined({}, true, '.');
    QCOMPARE(window.RefinedRowCount(), 1);
}

QTEST_MAIN(TestSpecPoints)
#include "tst_SP_unit.moc"
