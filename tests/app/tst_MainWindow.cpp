// The main window as the user meets it: the start with and without the
// settings file and the database, F9, step mode, Stop and closing during a run
// with the control states, the exit with what it writes, and texts that
// Windows-1251 cannot hold. What the core decides is tested with the core.
#include "app/Application.h"
#include "app/MainWindow.h"
#include "views/Diagram2.h"
#include "views/MDiagram.h"
#include "views/SP_unit.h"
#include "plot/QtText.h"
#include "views/WorkingChart.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include <deque>
#include <functional>
#include <memory>

using namespace solvane;

namespace {

const QString kOpenDialog = QStringLiteral("(open dialog)");
const QString kSaveDialog = QStringLiteral("(save dialog)");
const QString kStopQuestionText = QStringLiteral("Остановить расчет?");
const QString kLeaveQuestionText = QStringLiteral("Выйти без сохранения изменений?");
// The run's controls enabled once a press has ended, after a complete or stopped run.
const QStringList kControlsAfterRun{"chbStep",  "zebdbgrid1", "sbDiagram", "sbGrid",  "memFunctions", "DBEdit5",
                                    "NavInsert", "NavDelete",  "actOpen",   "actCreate", "actSave"};
const QByteArray kDesignedSettings = "[SETTINGS]\r\nTop=25\r\nHeight=678\r\nLeft=57\r\nWidth=877\r\n"
                                     "WorkingFileName=Problems.d\r\nMDcolor=12639424\r\n\r\n";

// Answers the program's modal boxes and dialogs in the order they appear and
// keeps what each said. A box that nobody expected is closed, so that a test
// fails on the texts instead of hanging.
class TModalAnswers {
public:
    struct TAnswer {
        QMessageBox::StandardButton Button = QMessageBox::Ok;
        QString File; // the open dialog: the file to choose, empty for Cancel
        std::function<void()> WhileOpen;
    };

    TModalAnswers()
    {
        timer_.callOnTimeout([this] { Poll(); });
        timer_.start(5);
    }
    void Add(QMessageBox::StandardButton button, std::function<void()> whileOpen = {})
    {
        answers_.push_back({button, {}, std::move(whileOpen)});
    }
    void AddFile(const QString& file) { answers_.push_back({QMessageBox::NoButton, file, {}}); }

    QStringList Seen;

private:
    void Poll()
    {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible() || busy_)
            return;
        busy_ = true;
        TAnswer answer = answers_.empty() ? TAnswer{QMessageBox::NoButton, {}, {}} : answers_.front();
        if (!answers_.empty())
            answers_.pop_front();
        if (answer.WhileOpen)
            answer.WhileOpen();
        if (auto* box = qobject_cast<QMessageBox*>(dialog)) {
            Seen << box->text();
            if (QAbstractButton* button = box->button(answer.Button))
                button->click();
            else
                box->done(QMessageBox::Cancel);
        } else if (auto* files = qobject_cast<QFileDialog*>(dialog)) {
            Seen << (files->acceptMode() == QFileDialog::AcceptSave ? kSaveDialog : kOpenDialog);
            if (answer.File.isEmpty()) {
                files->reject();
            } else {
                files->selectFile(answer.File);
                dialog->accept(); // QFileDialog::accept, which checks the file
            }
        } else {
            Seen << dialog->windowTitle();
            dialog->reject();
        }
        busy_ = false;
    }

    QTimer timer_;
    std::deque<TAnswer> answers_;
    bool busy_ = false;
};

// A working directory of the test's own with the example database as
// Problems.d; the program's folder is "program" inside it.
struct TPlace {
    QTemporaryDir Dir;
    QString OldCurrent = QDir::currentPath();

    explicit TPlace(bool withDatabase = true)
    {
        QDir::setCurrent(Dir.path());
        QDir().mkdir(QStringLiteral("program"));
        if (withDatabase)
            QFile::copy(QStringLiteral(SOLVANE_EXAMPLE_DATABASE), Path("Problems.d"));
    }
    ~TPlace() { QDir::setCurrent(OldCurrent); }
    QString Path(const QString& name) const { return Dir.filePath(name); }
    TMainWindowOptions Options(const QString& programDir = QStringLiteral("program")) const
    {
        TMainWindowOptions options;
        options.SettingsPath = QFile::encodeName(Path("Solvane.cfg")).toStdString();
        options.ProgramDir = QFile::encodeName(Path(programDir)).toStdString();
        options.CurrentDir = QFile::encodeName(Dir.path()).toStdString();
        return options;
    }
};

QByteArray ReadBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

void WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

std::unique_ptr<TfmMain> Start(const TMainWindowOptions& options)
{
    auto window = std::make_unique<TfmMain>(options);
    window->CreateOtherWindows();
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get()))
        qWarning("the main window was not exposed");
    QTest::qWait(20); // the bounds are applied once the frame is known
    return window;
}

template <class T>
T* Find(const QObject& window, const char* name)
{
    T* found = window.findChild<T*>(QString::fromLatin1(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
}

QWidget* Control(const TfmMain& window, const char* name) { return Find<QWidget>(window, name); }

// Which of the run's controls are enabled, by name.
QStringList EnabledRunControls(const TfmMain& window)
{
    QStringList enabled;
    for (const char* name : {"sbStop", "chbStep", "zebdbgrid1", "sbDiagram", "sbGrid", "memFunctions", "DBEdit5",
                             "NavInsert", "NavDelete"})
        if (Control(window, name)->isEnabled())
            enabled << QString::fromLatin1(name);
    for (const char* name : {"actOpen", "actCreate", "actSave"})
        if (Find<QAction>(window, name)->isEnabled())
            enabled << QString::fromLatin1(name);
    return enabled;
}

// F9 and what it set going: the click comes once the key has been delivered.
void PressF9(TfmMain& window)
{
    QTest::keyClick(Control(window, "memFunctions"), Qt::Key_F9);
    QCoreApplication::processEvents();
}

// A typed text that arrives as one key press, as an input method delivers it.
void TypeText(QWidget* widget, const QString& text)
{
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, text);
    QApplication::sendEvent(widget, &press);
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void Start_data();
    void Start();
    void F9RunsFromTheMemoButNotUnderAModalBox();
    void StepModeComputesOneLinePerPress();
    void SpecialPointsListTheRefinedOnes();
    void StopOrCloseDuringARun_data();
    void StopOrCloseDuringARun();
    void SaveUncheckedWritesNothing();
    void SettingsFileAfterTwoStarts_data();
    void SettingsFileAfterTwoStarts();
    void SettingsWhereTheyCanBeWritten_data();
    void SettingsWhereTheyCanBeWritten();
    void PendingRowFailingAtExit_data();
    void PendingRowFailingAtExit();
    void FailedSaveAtExitOffersAnotherName_data();
    void FailedSaveAtExitOffersAnotherName();
    void ChartSettingsThatCannotBeWrittenNamed();
    void CharacterOutsideCp1251Refused_data();
    void CharacterOutsideCp1251Refused();
    void ExceptionLeavingAHandlerIsShown();
    void NumberOutOfTheFieldsRangeRefused_data();
    void NumberOutOfTheFieldsRangeRefused();
    void NewProblem_data();
    void NewProblem();
    void TypingIntoAnEmptyDatabaseStartsAProblem();
    void F9PressAndReleaseRunOnce();
    void StandardButtonsInRussian();
};

void TestMainWindow::Start_data()
{
    QTest::addColumn<QByteArray>("settings"); // empty: no file
    QTest::addColumn<QStringList>("databases");
    QTest::addColumn<QString>("chosen"); // in the open dialog, empty for Cancel
    QTest::addColumn<QStringList>("seen");
    QTest::addColumn<QString>("caption"); // %1: the working directory
    QTest::addColumn<int>("problems");
    const QStringList notFound{kOpenDialog, QStringLiteral("Database not found")};
    const QByteArray mine = "[SETTINGS]\r\nWorkingFileName=Mine.d\r\n";
    QTest::newRow("neither file") << QByteArray() << QStringList() << QString() << notFound << QString() << 0;
    QTest::newRow("Problems.d alone") << QByteArray() << QStringList{"Problems.d"} << QString() << QStringList()
                                      << "Database: Problems.d" << 7;
    QTest::newRow("settings name it") << mine << QStringList{"Mine.d"} << QString() << QStringList()
                                      << "Database: Mine.d" << 7;
    QTest::newRow("settings name a missing one") << mine << QStringList{"Problems.d"} << QString() << notFound
                                                 << QString() << 0;
    QTest::newRow("chosen in the dialog") << mine << QStringList{"Other.d"} << "Other.d" << QStringList{kOpenDialog}
                                          << "Database: %1/Other.d" << 7;
}

void TestMainWindow::Start()
{
    QFETCH(QByteArray, settings);
    QFETCH(QStringList, databases);
    QFETCH(QString, chosen);
    QFETCH(QStringList, seen);
    QFETCH(QString, caption);
    QFETCH(int, problems);
    TPlace place(false);
    if (!settings.isEmpty())
        WriteBytes(place.Path("Solvane.cfg"), settings);
    for (const QString& name : databases)
        QVERIFY(QFile::copy(QStringLiteral(SOLVANE_EXAMPLE_DATABASE), place.Path(name)));
    TModalAnswers answers;
    if (!chosen.isEmpty())
        answers.AddFile(place.Path(chosen));
    auto window = ::Start(place.Options());
    QCOMPARE(answers.Seen, seen);
    QCOMPARE(window->windowTitle(), caption.contains("%1") ? caption.arg(place.Dir.path()) : caption);
    QCOMPARE(Find<QTableView>(*window, "zebdbgrid1")->model()->rowCount(), problems);
    QCOMPARE(Find<QPlainTextEdit>(*window, "memFunctions")->isReadOnly(), problems == 0); // no database
}

void TestMainWindow::F9RunsFromTheMemoButNotUnderAModalBox()
{
    TPlace place;
    TModalAnswers answers;
    auto window = ::Start(place.Options());
    const TRunResult& results = window->Session().Results();
    auto* memo = Find<QPlainTextEdit>(*window, "memFunctions");
    const QString script = memo->toPlainText();

    answers.Add(QMessageBox::Cancel, [&] { PressF9(*window); });
    qobject_cast<QToolButton*>(Control(*window, "NavDelete"))->click();
    QCOMPARE(answers.Seen, QStringList{"Delete record?"});
    QTest::keyClick(window->Mosaic(), Qt::Key_F9); // another window's F9
    QCOMPARE(results.LineIndex, -1);

    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    memo->setFocus();
    PressF9(*window);
    QCOMPARE(results.LineIndex, window->Session().Problems().Table().AsInteger("YPoints"));
    QCOMPARE(memo->toPlainText(), script);
    QVERIFY(memo->hasFocus()); // typing goes on where it was
    // The run leaves its last progress text, and the last line in the chart and the mosaic.
    QCOMPARE(Find<QLabel>(*window, "StatusPanel0")->text(), QStringLiteral("Temperature = 645"));
    QCOMPARE(window->Chart()->graph(0)->dataCount(), int(results.XColumns.size()));
    const QImage& mosaic = window->Mosaic()->Picture();
    const QRgb* lastRow = reinterpret_cast<const QRgb*>(mosaic.constScanLine(results.MosaicRow));
    QVERIFY(std::any_of(lastRow, lastRow + mosaic.width(), [](QRgb p) { return p != qRgb(255, 255, 255); }));
    QCOMPARE(EnabledRunControls(*window), kControlsAfterRun);
    QCOMPARE(answers.Seen.size(), 1);
}

void TestMainWindow::SpecialPointsListTheRefinedOnes()
{
    // The example database opens on "Congruent compound": two eutectics and
    // the compound's congruent melting point at 850 K.
    // The special points window open and the refined lines asked for before
    // the run: both follow the diagram that the run's end builds.
    TPlace place;
    TModalAnswers answers;
    auto window = ::Start(place.Options());
    for (QPushButton* button : window->findChildren<QPushButton*>())
        if (button->text() == QStringLiteral("Особые точки"))
            button->click();
    auto* points = window->findChild<TfmSpecPoints*>();
    QVERIFY(points && points->isVisible());
    QCOMPARE(points->RefinedRowCount(), 1);
    auto* diagram = window->findChild<TfmDiagram2*>();
    QVERIFY(diagram);
    diagram->ShowRefined(true);
    PressF9(*window);
    QVERIFY(diagram->isVisible());
    int refinedShown = 0;
    for (int k = 0; k < diagram->Chart()->plottableCount(); ++k) {
        const QCPAbstractPlottable* plottable = diagram->Chart()->plottable(k);
        if (plottable->name().startsWith(QStringLiteral("Refined")) && plottable->visible())
            ++refinedShown;
    }
    QVERIFY(refinedShown > 3);
    QStringList kinds;
    for (int row = 1; row < points->RefinedRowCount(); ++row)
        kinds << points->RefinedText(0, row);
    QVERIFY2(kinds.count(QStringLiteral(" Нода")) == 2 && kinds.contains(QStringLiteral(" Конгруэнтная")),
             qPrintable(kinds.join('|')));
    const int congruent = static_cast<int>(kinds.indexOf(QStringLiteral(" Конгруэнтная"))) + 1;
    QCOMPARE(points->RefinedText(1, congruent), QStringLiteral(" 850"));
    QCOMPARE(points->RefinedText(3, congruent), QStringLiteral(" 0.5"));
    QCOMPARE(points->RefinedText(5, congruent), QStringLiteral(" L+C0.5"));
}

void TestMainWindow::StepModeComputesOneLinePerPress()
{
    TPlace place;
    TModalAnswers answers;
    auto window = ::Start(place.Options());
    const TRunResult& results = window->Session().Results();
    window->Session().Problems().Table().SetAsInteger("YPoints", 2); // three lines
    qobject_cast<QCheckBox*>(Control(*window, "chbStep"))->click();
    for (int line = 0; line <= 2; ++line) {
        PressF9(*window);
        QCOMPARE(results.LineIndex, line);
        // Between steps: Stop, the list, and editing; no step switch, no diagram yet.
        const QStringList paused{"sbStop",    "zebdbgrid1", "sbGrid",  "memFunctions", "DBEdit5",
                                 "NavInsert", "NavDelete",  "actOpen", "actCreate",    "actSave"};
        QCOMPARE(EnabledRunControls(*window), line < 2 ? paused : kControlsAfterRun);
    }
    answers.Add(QMessageBox::No);
    PressF9(*window);
    QCOMPARE(results.LineIndex, 2);
    answers.Add(QMessageBox::Yes);
    PressF9(*window);
    QCOMPARE(results.LineIndex, 0);
    QCOMPARE(answers.Seen, QStringList({"Restart the problem?", "Restart the problem?"}));
}

void TestMainWindow::StopOrCloseDuringARun_data()
{
    QTest::addColumn<bool>("byClosing");
    QTest::addColumn<int>("answer");
    QTest::newRow("Stop, Yes") << false << int(QMessageBox::Yes);
    QTest::newRow("Stop, No") << false << int(QMessageBox::No);
    QTest::newRow("close, Yes") << true << int(QMessageBox::Yes);
    QTest::newRow("close, No") << true << int(QMessageBox::No);
}

void TestMainWindow::StopOrCloseDuringARun()
{
    QFETCH(bool, byClosing);
    QFETCH(int, answer);
    TPlace place;
    TModalAnswers answers;
    auto window = ::Start(place.Options());
    const TRunResult& results = window->Session().Results();
    const int lastLine = static_cast<int>(window->Session().Problems().Table().AsInteger("YPoints"));
    int lineAtAnswer = -2;
    QStringList enabledDuringRun;
    QTimer trigger; // a zero timer: it fires whenever the sweep lets events through
    trigger.callOnTimeout([&] {
        if (results.LineIndex < 3)
            return;
        trigger.stop();
        enabledDuringRun = EnabledRunControls(*window);
        answers.Add(QMessageBox::StandardButton(answer), [&] { lineAtAnswer = results.LineIndex; });
        if (byClosing)
            window->close();
        else
            qobject_cast<QToolButton*>(Control(*window, "sbStop"))->click();
    });
    trigger.start(0);
    PressF9(*window);

    QCOMPARE(answers.Seen, QStringList{kStopQuestionText});
    // While a continuous press runs: nothing that edits, opens or saves, no step switch, no list.
    QCOMPARE(enabledDuringRun, QStringList({"sbStop", "sbGrid"}));
    const bool stopped = answer == QMessageBox::Yes;
    QCOMPARE(results.LineIndex, stopped ? lineAtAnswer : lastLine);
    QVERIFY(lineAtAnswer < lastLine);
    QCOMPARE(window->isVisible(), !(byClosing && stopped));
    QCOMPARE(QFile::exists(place.Path("program/Solvane.cfg")), byClosing && stopped);
    if (window->isVisible())
        QCOMPARE(EnabledRunControls(*window), kControlsAfterRun);
}

void TestMainWindow::SaveUncheckedWritesNothing()
{
    TPlace place;
    TModalAnswers answers;
    const QByteArray database = ReadBytes(place.Path("Problems.d"));
    auto window = ::Start(place.Options());
    answers.Add(QMessageBox::Ok);
    qobject_cast<QToolButton*>(Control(*window, "NavDelete"))->click(); // a deleted row
    TypeText(Control(*window, "memFunctions"), QStringLiteral("x"));     // and a pending one
    QCOMPARE(window->Session().Problems().Table().State(), TTableState::Edit);
    qobject_cast<QCheckBox*>(Control(*window, "chbSave"))->click();
    QVERIFY(window->close());
    window.reset();
    QCOMPARE(answers.Seen, QStringList{"Delete record?"});
    QCOMPARE(ReadBytes(place.Path("Problems.d")), database);
    QVERIFY(!QFile::exists(place.Path("program/Solvane.cfg")));
    QVERIFY(!QFile::exists(place.Path("Solvane.cfg")));
}

void TestMainWindow::SettingsFileAfterTwoStarts_data()
{
    QTest::addColumn<QByteArray>("settings"); // empty: no file at the first start
    QTest::addColumn<QByteArray>("written");
    QTest::newRow("designed bounds") << QByteArray() << kDesignedSettings;
    const QByteArray own = "[SETTINGS]\r\nTop=40\r\nHeight=600\r\nLeft=120\r\nWidth=800\r\n"
                           "WorkingFileName=Problems.d\r\nMDcolor=255\r\n\r\n";
    QTest::newRow("bounds of the file") << own << own;
}

void TestMainWindow::SettingsFileAfterTwoStarts()
{
    QFETCH(QByteArray, settings);
    QFETCH(QByteArray, written);
    TPlace place;
    if (!settings.isEmpty())
        WriteBytes(place.Path("Solvane.cfg"), settings);
    TModalAnswers answers;
    // Started from its own folder: the second start reads what the first exit wrote.
    for (int start = 1; start <= 2; ++start) {
        auto window = ::Start(place.Options(QStringLiteral(".")));
        QVERIFY(window->close());
        window.reset();
        QCOMPARE(ReadBytes(place.Path("Solvane.cfg")), written);
    }
    QCOMPARE(answers.Seen, QStringList());
}

void TestMainWindow::SettingsWhereTheyCanBeWritten_data()
{
    QTest::addColumn<QString>("programDir");
    QTest::addColumn<QString>("currentDir");
    QTest::addColumn<QString>("file"); // empty: none written
    QTest::addColumn<int>("boxes");
    QTest::newRow("beside the program") << "program" << "." << "program/Solvane.cfg" << 0;
    QTest::newRow("program folder not writable") << "no/such/folder" << "." << "Solvane.cfg" << 0;
    QTest::newRow("neither") << "no/such/folder" << "no/such/either" << QString() << 1;
}

void TestMainWindow::SettingsWhereTheyCanBeWritten()
{
    QFETCH(QString, programDir);
    QFETCH(QString, currentDir);
    QFETCH(QString, file);
    QFETCH(int, boxes);
    TPlace place;
    TModalAnswers answers;
    TMainWindowOptions options = place.Options(programDir);
    options.CurrentDir = QFile::encodeName(place.Path(currentDir)).toStdString();
    auto window = ::Start(options);
    QVERIFY(window->close());
    window.reset();
    QCOMPARE(answers.Seen.size(), boxes);
    for (const QString& candidate : {QStringLiteral("program/Solvane.cfg"), QStringLiteral("Solvane.cfg")})
        QCOMPARE(QFile::exists(place.Path(candidate)), candidate == file);
    if (!file.isEmpty())
        QCOMPARE(ReadBytes(place.Path(file)), kDesignedSettings);
}

void TestMainWindow::PendingRowFailingAtExit_data()
{
    QTest::addColumn<int>("answer");
    QTest::newRow("leave") << int(QMessageBox::Yes);
    QTest::newRow("stay") << int(QMessageBox::No);
}

void TestMainWindow::PendingRowFailingAtExit()
{
    QFETCH(int, answer);
    TPlace place;
    TModalAnswers answers;
    const QByteArray database = ReadBytes(place.Path("Problems.d"));
    auto window = ::Start(place.Options());
    auto* list = Find<QTableView>(*window, "zebdbgrid1");
    list->setCurrentIndex(list->model()->index(2, 0));
    QVERIFY(list->model()->setData(list->model()->index(2, 0), QString())); // the name cleared
    answers.Add(QMessageBox::Ok);
    answers.Add(QMessageBox::StandardButton(answer));
    const bool closed = window->close();

    QCOMPARE(answers.Seen, QStringList({"Problem name must be assigned", kLeaveQuestionText}));
    QCOMPARE(closed, answer == QMessageBox::Yes);
    const TVolgaTable& table = window->Session().Problems().Table();
    if (!closed) {
        QCOMPARE(table.RecNo(), 3);
        QCOMPARE(table.State(), TTableState::Edit);
        QCOMPARE(list->currentIndex().row(), 2);
    }
    window.reset();
    QCOMPARE(ReadBytes(place.Path("Problems.d")), database);
    QVERIFY(!QFile::exists(place.Path("program/Solvane.cfg")));
}

void TestMainWindow::FailedSaveAtExitOffersAnotherName_data()
{
    QTest::addColumn<QString>("chosen"); // in the save dialog, empty for Cancel
    QTest::newRow("saved under another name") << "Saved.d";
    QTest::newRow("cancelled, left unsaved") << QString();
}

void TestMainWindow::FailedSaveAtExitOffersAnotherName()
{
    QFETCH(QString, chosen);
    TPlace place;
    TModalAnswers answers;
    QVERIFY(QDir().mkdir(place.Path("gone")));
    const QString database = place.Path("gone/Problems.d");
    QVERIFY(QFile::copy(place.Path("Problems.d"), database));
    TMainWindowOptions options = place.Options();
    options.Database = QFile::encodeName(database).toStdString();
    auto window = ::Start(options);
    TypeText(Control(*window, "memFunctions"), QStringLiteral("x"));
    QVERIFY(QDir(place.Path("gone")).removeRecursively()); // where it was cannot be written now
    answers.Add(QMessageBox::Ok);
    answers.AddFile(chosen.isEmpty() ? QString() : place.Path(chosen));
    answers.Add(QMessageBox::Yes);
    QVERIFY(window->close());

    QStringList seen{"vtblProblem: Cannot create file " + database + ": No such file or directory", kSaveDialog};
    if (chosen.isEmpty())
        seen << kLeaveQuestionText;
    QCOMPARE(answers.Seen, seen);
    QCOMPARE(ReadBytes(place.Path("Saved.d")).contains("x"), !chosen.isEmpty());
    const QByteArray settings = ReadBytes(place.Path("program/Solvane.cfg"));
    QCOMPARE(settings.contains("WorkingFileName=" + QFile::encodeName(place.Path("Saved.d"))), !chosen.isEmpty());
}

void TestMainWindow::ChartSettingsThatCannotBeWrittenNamed()
{
    TPlace place;
    TModalAnswers answers;
    QVERIFY(QDir().mkdir(place.Path("Chart.cfg"))); // a folder where the file should be
    auto window = ::Start(place.Options());
    QVERIFY(window->close());
    QCOMPARE(answers.Seen.size(), 1);
    QVERIFY2(answers.Seen.first().startsWith("Cannot create file " + place.Path("Chart.cfg") + ": "),
             qPrintable(answers.Seen.first()));
}

void TestMainWindow::CharacterOutsideCp1251Refused_data()
{
    QTest::addColumn<bool>("inName");
    QTest::addColumn<QString>("text");
    QTest::newRow("memo, z with acute") << false << QStringLiteral("ź");
    QTest::newRow("memo, emoji") << false << QStringLiteral("\U0001F600");
    QTest::newRow("name, z with acute") << true << QStringLiteral("ź");
    QTest::newRow("name, emoji") << true << QStringLiteral("\U0001F600");
}

void TestMainWindow::CharacterOutsideCp1251Refused()
{
    QFETCH(bool, inName);
    QFETCH(QString, text);
    TPlace place;
    TModalAnswers answers;
    auto window = ::Start(place.Options());
    const TVolgaTable& table = window->Session().Problems().Table();
    const std::string name = table.AsString("ProblemName");
    const std::string script = table.AsString("Functs");
    auto* memo = Find<QPlainTextEdit>(*window, "memFunctions");
    const QString shown = memo->toPlainText();
    auto* list = Find<QTableView>(*window, "zebdbgrid1");
    const QModelIndex current = list->currentIndex();
    const QString listed = current.data().toString();
    answers.Add(QMessageBox::Ok);
    if (inName) {
        list->edit(current);
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        QVERIFY(editor);
        editor->end(false);
        TypeText(editor, text);
        QTest::keyClick(editor, Qt::Key_Return);
        QCoreApplication::processEvents(); // the list stores the name after the key
    } else {
        memo->setFocus();
        memo->moveCursor(QTextCursor::End);
        TypeText(memo, text);
    }
    QCOMPARE(answers.Seen.size(), 1);
    QVERIFY2(answers.Seen.first().contains(text), qPrintable(answers.Seen.first()));
    QCOMPARE(table.AsString("ProblemName"), name);
    QCOMPARE(table.AsString("Functs"), script);
    QCOMPARE(memo->toPlainText(), shown);
    QCOMPARE(current.data().toString(), listed);
}

void TestMainWindow::ExceptionLeavingAHandlerIsShown()
{
    struct TThrowing : QObject {
        bool event(QEvent*) override { throw EDatabaseError("vtblProblem: a failure nobody caught"); }
    } throwing;
    TModalAnswers answers;
    QEvent event(QEvent::User);
    QVERIFY(QCoreApplication::sendEvent(&throwing, &event));
    QCOMPARE(answers.Seen, QStringList{"vtblProblem: a failure nobody caught"});
}

void TestMainWindow::NumberOutOfTheFieldsRangeRefused_data()
{
    QTest::addColumn<QByteArray>("edit");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message"); // empty: accepted
    QTest::newRow("Ось X, 40000") << QByteArray("edXPoints") << "40000"
                                  << "vtblProblem: 40000 is not a valid value for field 'XPoints'. "
                                     "The allowed range is -32768 to 32767";
    QTest::newRow("Ось Y, 99999") << QByteArray("edYPoints") << "99999"
                                  << "vtblProblem: 99999 is not a valid value for field 'YPoints'. "
                                     "The allowed range is -32768 to 32767";
    QTest::newRow("Ось Y, -32768") << QByteArray("edYPoints") << "-32768" << QString();
    QTest::newRow("Ymax, not a number") << QByteArray("edYmax") << "1e" << "'1e' is not a valid number";
}

void TestMainWindow::NumberOutOfTheFieldsRangeRefused()
{
    QFETCH(QByteArray, edit);
    QFETCH(QString, typed);
    QFETCH(QString, message);
    TPlace place;
    TModalAnswers answers;
    auto window = ::Start(place.Options());
    const TVolgaTable& table = window->Session().Problems().Table();
    const int field = table.FieldIndex(edit.mid(2).toStdString());
    const std::string before = table.AsString(field);
    const int row = table.RecNo();
    TypeText(Control(*window, "memFunctions"), QStringLiteral("x")); // another edit of the row
    auto* number = Find<QLineEdit>(*window, edit.constData());
    number->selectAll();
    QTest::keyClicks(number, typed);
    QTest::keyClick(number, Qt::Key_Return);

    QCOMPARE(answers.Seen, message.isEmpty() ? QStringList() : QStringList{message});
    QCOMPARE(table.AsString(field), message.isEmpty() ? typed.toStdString() : before);
    QCOMPARE(number->text(), FromCp1251(table.DisplayText(field)));
    QCOMPARE(table.State(), TTableState::Edit);
    QCOMPARE(table.RecNo(), row);
    QVERIFY(QString::fromStdString(table.AsString("Functs")).contains('x'));
}

void TestMainWindow::NewProblem_data()
{
    QTest::addColumn<bool>("cancelled"); // by the navigator's Cancel, after a move the check refused
    QTest::newRow("named, filled in and computed") << false;
    QTest::newRow("cancelled") << true;
}

void TestMainWindow::NewProblem()
{
    QFETCH(bool, cancelled);
    TPlace place;
    TModalAnswers answers;
    auto window = ::Start(place.Options());
    const TVolgaTable& table = window->Session().Problems().Table();
    auto* list = Find<QTableView>(*window, "zebdbgrid1");
    const int problems = list->model()->rowCount();
    const std::string first = table.AsString("ProblemName");
    qobject_cast<QToolButton*>(Control(*window, "NavInsert"))->click();

    // (The window's focus: offscreen no window is active again after a message box.)
    // The new row at the bottom of the list, its name being edited, the values of a new problem shown.
    QCOMPARE(list->model()->rowCount(), problems + 1);
    QCOMPARE(list->currentIndex().row(), problems);
    QVERIFY(qobject_cast<QLineEdit*>(window->focusWidget()));
    QCOMPARE(Find<QLineEdit>(*window, "edXPoints")->text(), QStringLiteral("100"));
    QCOMPARE(Find<QLineEdit>(*window, "edYPoints")->text(), QStringLiteral("100"));
    QCOMPARE(Find<QLineEdit>(*window, "edYmax")->text(), QStringLiteral("0"));
    QVERIFY(Find<QCheckBox>(*window, "chbShowChart")->isChecked());
    QCOMPARE(Find<QPlainTextEdit>(*window, "memFunctions")->toPlainText(), QString());

    // Leaving it unnamed: the check's message once, and the user is back on the row to name it.
    answers.Add(QMessageBox::Ok);
    list->setCurrentIndex(list->model()->index(0, 0));
    QTest::qWait(50);
    QCOMPARE(answers.Seen, QStringList{"Problem name must be assigned"});
    QCOMPARE(table.State(), TTableState::Insert);
    QCOMPARE(list->currentIndex().row(), problems);
    QVERIFY(qobject_cast<QLineEdit*>(window->focusWidget()));
    if (cancelled) {
        qobject_cast<QToolButton*>(Control(*window, "NavCancel"))->click();
        QCOMPARE(table.State(), TTableState::Browse);
        QCOMPARE(list->model()->rowCount(), problems);
        QCOMPARE(table.AsString("ProblemName"), first);
        QCOMPARE(answers.Seen.size(), 1);
        return;
    }
    auto* name = qobject_cast<QLineEdit*>(window->focusWidget());
    TypeText(name, QStringLiteral("Эвтектика"));
    QTest::keyClick(name, Qt::Key_Return);
    QCoreApplication::processEvents(); // the list stores the name after the key
    emit Find<QComboBox>(*window, "dbcbY")->activated(0);
    for (const auto& [edit, text] : {std::pair{"edYmin", "300"}, {"edYmax", "750"}, {"DBEdit5", "1"},
                                     {"edXPoints", "50"}, {"edYPoints", "9"}}) {
        auto* number = Find<QLineEdit>(*window, edit);
        number->selectAll();
        QTest::keyClicks(number, QString::fromLatin1(text));
        QTest::keyClick(number, Qt::Key_Return);
    }
    TypeText(Control(*window, "memFunctions"), QStringLiteral("GL = -T*Sid\nGSA = (1-X)*10000*(T/600-1) + 100000*X\n"
                                                             "GSB = X*12000*(T/700-1) + 100000*(1-X)\n"));
    PressF9(*window);
    QCOMPARE(answers.Seen, QStringList{"Problem name must be assigned"});
    QCOMPARE(table.State(), TTableState::Browse);
    QCOMPARE(list->model()->rowCount(), problems + 1);
    QCOMPARE(list->model()->index(problems, 0).data().toString(), QStringLiteral("Эвтектика"));
    QCOMPARE(window->Session().Results().LineIndex, 9);
    QCOMPARE(table.AsString("Zparameter"), "P");
    QCOMPARE(Find<QPlainTextEdit>(*window, "memFunctions")->toPlainText().count('\n'), 3);
}

void TestMainWindow::TypingIntoAnEmptyDatabaseStartsAProblem()
{
    TPlace place;
    TModalAnswers answers;
    auto window = ::Start(place.Options());
    auto* list = Find<QTableView>(*window, "zebdbgrid1");
    while (list->model()->rowCount() > 0) {
        answers.Add(QMessageBox::Ok); // "Delete record?"
        qobject_cast<QToolButton*>(Control(*window, "NavDelete"))->click();
    }
    // The first key starts a new problem, which the list shows at once, ready for its name.
    TypeText(Control(*window, "memFunctions"), QStringLiteral("GL = -T*Sid"));
    QCOMPARE(window->Session().Problems().Table().State(), TTableState::Insert);
    QCOMPARE(list->model()->rowCount(), 1);
    QCOMPARE(list->currentIndex().row(), 0);
    QCOMPARE(Find<QLineEdit>(*window, "edXPoints")->text(), QStringLiteral("100"));
}

void TestMainWindow::F9PressAndReleaseRunOnce()
{
    // As a window system delivers them: the release waits in the queue while the press runs.
    TPlace place;
    TModalAnswers answers;
    auto window = ::Start(place.Options());
    QSignalSpy runs(window->RunButton(), &QPushButton::clicked);
    QWidget* memo = Control(*window, "memFunctions");
    QCoreApplication::postEvent(memo, new QKeyEvent(QEvent::KeyPress, Qt::Key_F9, Qt::NoModifier));
    QCoreApplication::postEvent(memo, new QKeyEvent(QEvent::KeyPress, Qt::Key_F9, Qt::NoModifier, QString(), true));
    QCoreApplication::postEvent(memo, new QKeyEvent(QEvent::KeyRelease, Qt::Key_F9, Qt::NoModifier));
    QTest::qWait(50);
    QCOMPARE(runs.count(), 1);
    QCOMPARE(window->Session().Results().LineIndex, window->Session().Problems().Table().AsInteger("YPoints"));
}

void TestMainWindow::StandardButtonsInRussian()
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("Solvane"), QString(),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    QStringList texts;
    for (auto button : {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel})
        texts << box.button(button)->text().remove('&');
    QCOMPARE(texts, QStringList({"Да", "Нет", "Отмена"}));
}

// The program's own application object, with its general error handler and translations.
int main(int argc, char** argv)
{
    TApplication app(argc, argv);
    TestMainWindow test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_MainWindow.moc"
