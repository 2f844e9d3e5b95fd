#include "views/About.h"

#include <QDesktopServices>
#include <QLabel>
#include <QtTest>

using namespace solvane;

class TestAbout : public QObject {
    Q_OBJECT
public slots:
    void OpenUrl(const QUrl& url) { opened_.append(url); }

private slots:
    void LooksAsDesigned();
    void ClosesOnKeysBackgroundAndButton_data();
    void ClosesOnKeysBackgroundAndButton();

private:
    QList<QUrl> opened_;
};

void TestAbout::LooksAsDesigned()
{
    TfmAbout about(QUrl::fromLocalFile(QStringLiteral("/opt/solvane/docs/script.md")));
    QCOMPARE(about.windowTitle(), QStringLiteral("О программе..."));
    QCOMPARE(about.size(), QSize(443, 302));
    QVERIFY(about.isModal());
    QCOMPARE(about.findChild<QLabel*>(QStringLiteral("title"))->text(), QStringLiteral("Solvane"));
}

void TestAbout::ClosesOnKeysBackgroundAndButton_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("closes");
    QTest::newRow("Escape") << "Escape" << true;
    QTest::newRow("Enter") << "Enter" << true;
    QTest::newRow("a letter") << "letter" << true;
    QTest::newRow("Shift alone") << "Shift" << false;
    QTest::newRow("release on the background") << "background" << true;
    QTest::newRow("release on a label") << "label" << false;
    QTest::newRow("the button") << "button" << true;
    QTest::newRow("the link opens the address") << "link" << false;
}

void TestAbout::ClosesOnKeysBackgroundAndButton()
{
    QFETCH(QString, action);
    QFETCH(bool, closes);
    const QUrl guide = QUrl::fromLocalFile(QStringLiteral("/opt/solvane/docs/script.md"));
    QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "OpenUrl");
    opened_.clear();

    TfmAbout about(guide);
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    // Keys go where the user's keys go: to the focused control first.
    QWidget* focused = about.focusWidget() ? about.focusWidget() : &about;
    if (action == "Escape")
        QTest::keyClick(focused, Qt::Key_Escape);
    else if (action == "Enter")
        QTest::keyClick(focused, Qt::Key_Enter);
    else if (action == "letter")
        QTest::keyClick(focused, Qt::Key_Q, Qt::NoModifier);
    else if (action == "Shift")
        QTest::keyClick(focused, Qt::Key_Shift);
    else if (action == "background") {
        QVERIFY(!about.childAt(3, 3));
        QTest::mouseClick(&about, Qt::LeftButton, {}, QPoint(3, 3));
    } else if (action == "label")
        QTest::mouseClick(about.findChild<QLabel*>(QStringLiteral("credits")), Qt::LeftButton);
    else if (action == "button")
        QTest::mouseClick(about.findChild<QWidget*>(QStringLiteral("close")), Qt::LeftButton);
    else if (action == "link")
        QTest::mouseClick(about.findChild<QLabel*>(QStringLiteral("link")), Qt::LeftButton);

    QCOMPARE(about.isVisible(), !closes);
    QCOMPARE(opened_, action == "link" ? QList<QUrl>{guide} : QList<QUrl>{});
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
}

QTEST_MAIN(TestAbout)
#include "tst_About.moc"
