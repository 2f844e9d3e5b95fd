// TfmMain: building the window and its menus, the start and the exit.
#include "app/MainWindow.h"

#include "views/About.h"
#include "views/GridUnit.h"
#include "views/ChartEditor.h"
#include "plot/ColorRef.h"
#include "views/Diagram2.h"
#include "views/MDiagram.h"
#include "views/ProblemListModel.h"
#include "plot/QtText.h"
#include "views/RunView.h"
#include "views/SP_unit.h"
#include "views/WorkingChart.h"

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QGridLayout>
#include <QRegularExpressionValidator>
#include <QMessageBox>
#include <QStyle>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace solvane {
namespace {

QGroupBox* Group(const QString& title, QLayout* layout)
{
    auto* box = new QGroupBox(title);
    box->setLayout(layout);
    return box;
}

// Where the about box's link leads: the guide beside the program or in the source tree.
QUrl DocumentationUrl()
{
    const QString program = QCoreApplication::applicationDirPath();
    for (const QString& candidate :
         {program + "/../share/doc/solvane/script.md", program + "/docs/script.md",
          QStringLiteral(SOLVANE_SOURCE_DIR "/docs/script.md"), QStringLiteral(SOLVANE_SOURCE_DIR "/README.md")}) {
        if (QFileInfo::exists(candidate))
            return QUrl::fromLocalFile(QFileInfo(candidate).canonicalFilePath());
    }
    return {};
}

} // namespace

TfmMain::TfmMain(TMainWindowOptions options, QWidget* parent)
    : QMainWindow(parent), options_(std::move(options)), messages_(this), dialogs_(this)
{
    setWindowTitle(QString());
    session_ = std::make_unique<TSession>(messages_, dialogs_);
    dialogs_.OnCaption = [this](const QString& caption) { setWindowTitle(caption); };
    dialogs_.StartFolder = options_.ExamplesDir;
    session_->ShowRunFailure = [this](const std::string& error, const std::string& detail) {
        messages_.ShowError(FromCp1251(error), FromCp1251(detail));
    };

    auto* central = new QWidget;
    auto* top = new QHBoxLayout;
    top->setContentsMargins(4, 4, 4, 0);
    top->addWidget(BuildProblemsColumn());
    top->addWidget(BuildRightPart(), 1);
    auto* whole = new QVBoxLayout(central);
    whole->setContentsMargins(0, 0, 0, 0);
    whole->addLayout(top, 1);
    whole->addWidget(BuildBottomPanel());
    setCentralWidget(central);
    BuildMenus();
    BuildStatusBar();
    // The controls carry their names, so that tests and tools find them with findChild.
    const std::pair<QObject*, const char*> named[] = {
        {zebdbgrid1_, "zebdbgrid1"},   {memFunctions_, "memFunctions"}, {sbRun_, "sbRun"},
        {chbStep_, "chbStep"},         {sbStop_, "sbStop"},             {sbDiagram_, "sbDiagram"},
        {sbEditChart_, "sbEditChart"}, {lblZ_, "lblZ"},                 {DBEdit5_, "DBEdit5"},
        {dbcbY_, "dbcbY"},             {chbShowMosaic_, "chbShowMosaic"}, {chbShowChart_, "chbShowChart"},
        {sbGrid_, "sbGrid"},           {chbSave_, "chbSave"},           {statusPanel0_, "StatusPanel0"},
        {navInsert_, "NavInsert"},     {navDelete_, "NavDelete"},       {navCancel_, "NavCancel"},
        {actOpen_, "actOpen"},         {actCreate_, "actCreate"},       {actSave_, "actSave"},
        {edYmin_, "edYmin"},           {edYmax_, "edYmax"},             {edXPoints_, "edXPoints"},
        {edYPoints_, "edYPoints"}};
    for (const auto& [object, name] : named)
        object->setObjectName(QString::fromLatin1(name));

    session_->Problems().OnChanged = [this](const TProblemChange& change) { ProblemsChanged(change); };
    const QString decimal = QLocale().decimalPoint();
    if (decimal.size() == 1 && decimal[0].unicode() < 128)
        session_->SetDecimalSeparator(static_cast<char>(decimal[0].unicode()));
    chart_->SetDecimalSeparator(session_->DecimalSeparator());
    qApp->installEventFilter(this);

    // The creation steps: the settings, the working database, its preparation.
    session_->Start(options_.SettingsPath, options_.Database);
    const TSettings& settings = session_->Settings();
    move(settings.Left, settings.Top);
    resize(settings.Width, settings.Height);
}

TfmMain::~TfmMain()
{
    qApp->removeEventFilter(this);
    session_->SetRunObserver(nullptr);
    runView_.reset();
    // The controls and windows read the session: they go before it does.
    for (QWidget* w : {centralWidget(), static_cast<QWidget*>(mosaic_), static_cast<QWidget*>(diagram_),
                       static_cast<QWidget*>(cells_), static_cast<QWidget*>(specPoints_)})
        delete w;
}

QWidget* TfmMain::BuildProblemsColumn()
{
    auto* layout = new QVBoxLayout;
    layout->addWidget(BuildProblemList(), 1);
    layout->addLayout(BuildNavigator());
    QGroupBox* group = Group(QStringLiteral(" Задачи "), layout);
    group->setFixedWidth(206);
    return group;
}

QWidget* TfmMain::BuildProblemList()
{
    problemModel_ = new TProblemListModel(session_->Problems(), this);
    problemModel_->OnRefused = [this](const QString& message) { Refuse(message); };
    zebdbgrid1_ = new QTableView;
    zebdbgrid1_->setModel(problemModel_);
    zebdbgrid1_->setSelectionBehavior(QAbstractItemView::SelectRows);
    zebdbgrid1_->setSelectionMode(QAbstractItemView::SingleSelection);
    zebdbgrid1_->horizontalHeader()->setStretchLastSection(true);
    zebdbgrid1_->verticalHeader()->setDefaultSectionSize(20);
    zebdbgrid1_->verticalHeader()->setFixedWidth(14);
    zebdbgrid1_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    zebdbgrid1_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                 QAbstractItemView::AnyKeyPressed);
    // The current row has no highlight colour of its own, only the focus frame.
    QPalette palette = zebdbgrid1_->palette();
    palette.setColor(QPalette::Highlight, Qt::transparent);
    palette.setColor(QPalette::HighlightedText, palette.color(QPalette::Text));
    zebdbgrid1_->setPalette(palette);
    zebdbgrid1_->installEventFilter(this);
    connect(zebdbgrid1_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &TfmMain::ProblemListClicked);
    return zebdbgrid1_;
}

QLayout* TfmMain::BuildNavigator()
{
    auto navButton = [](const QString& text, const QString& hint) {
        auto* b = new QToolButton;
        b->setText(text);
        b->setToolTip(hint);
        b->setAutoRaise(true);
        b->setMinimumWidth(40);
        return b;
    };
    navInsert_ = navButton(QStringLiteral("+"), QStringLiteral("Insert record"));
    navDelete_ = navButton(QStringLiteral("\u2212"), QStringLiteral("Delete record"));
    navCancel_ = navButton(QStringLiteral("\u2715"), QStringLiteral("Cancel edit"));
    connect(navInsert_, &QToolButton::clicked, this, &TfmMain::InsertProblem);
    connect(navDelete_, &QToolButton::clicked, this, &TfmMain::DeleteProblem);
    connect(navCancel_, &QToolButton::clicked, this, [this] { session_->Problems().Cancel(); });
    auto* nav = new QHBoxLayout;
    nav->setSpacing(2);
    nav->addWidget(navInsert_);
    nav->addWidget(navDelete_);
    nav->addWidget(navCancel_);
    nav->addStretch();
    return nav;
}

void TfmMain::InsertProblem()
{
    CommitTyping();
    TProblemEditor& problems = session_->Problems();
    if (problems.IsOpen() && WriteToRow([&] { problems.Insert(); }) && problems.IsInserting())
        NameCurrentProblem();
}

void TfmMain::DeleteProblem()
{
    CommitTyping();
    if (!session_->Problems().CanDelete())
        return;
    if (QMessageBox::question(this, QStringLiteral("Solvane"), QString::fromLatin1(kDeleteRecordQuestion),
                              QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok)
        session_->Problems().Delete();
}

QWidget* TfmMain::BuildRightPart()
{
    chart_ = new TWorkingChart;
    chart_->setMinimumHeight(80);
    memFunctions_ = new QPlainTextEdit;
    QFont courier(QStringLiteral("Courier New"));
    courier.setStyleHint(QFont::Monospace);
    courier.setPointSize(10);
    memFunctions_->setFont(courier);
    memFunctions_->setLineWrapMode(QPlainTextEdit::NoWrap);
    memFunctions_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memFunctions_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    connect(memFunctions_, &QPlainTextEdit::textChanged, this, &TfmMain::ScriptEdited);
    sbCheck_ = new QPushButton(QStringLiteral("Проверить"));
    sbCheck_->setToolTip(QStringLiteral("Проверить выражения: неизвестные имена, ловушки языка, значения расчета"));
    connect(sbCheck_, &QPushButton::clicked, this, &TfmMain::sbCheckClick);
    auto* side = new QVBoxLayout;
    side->addWidget(sbCheck_);
    side->addStretch();
    auto* memoLayout = new QHBoxLayout;
    memoLayout->setContentsMargins(4, 4, 4, 4);
    memoLayout->addWidget(memFunctions_, 1);
    memoLayout->addLayout(side);
    QGroupBox* memoGroup = Group(QStringLiteral(" Выражения для расчета энергии Гиббса "), memoLayout);

    splitter_ = new QSplitter(Qt::Vertical);
    splitter_->addWidget(chart_);
    splitter_->addWidget(memoGroup);
    splitter_->setStretchFactor(1, 1);
    splitter_->setSizes({294, 200});
    splitter_->setChildrenCollapsible(false);
    return splitter_;
}

QWidget* TfmMain::BuildBottomPanel()
{
    auto* panel = new QWidget;
    auto* rows = new QVBoxLayout(panel);
    rows->setContentsMargins(4, 4, 4, 4);
    rows->addLayout(BuildRunRow());
    // Second row: the Y axis, the points, the pictures, the grid, saving, closing.
    auto* second = new QHBoxLayout;
    second->addWidget(BuildYAxisGroup());
    second->addWidget(BuildPointsGroup());
    second->addWidget(BuildShowGroup());
    second->addStretch();
    second->addLayout(BuildEndButtons());
    rows->addLayout(second);
    ConnectRunControls();
    ConnectBoundControls();
    return panel;
}

QLayout* TfmMain::BuildRunRow()
{
    sbRun_ = new QPushButton(QStringLiteral("Расчет (F9)"));
    sbRun_->setDefault(false);
    sbRun_->setAutoDefault(false);
    chbStep_ = new QCheckBox(QStringLiteral("По шагам"));
    sbStop_ = new QToolButton;
    sbStop_->setIcon(style()->standardIcon(QStyle::SP_MediaStop));
    sbStop_->setToolTip(QStringLiteral("Остановить расчет"));
    sbStop_->setEnabled(false);
    sbDiagram_ = new QPushButton(QStringLiteral("Диаграмма"));
    sbDiagram_->setEnabled(false);
    sbEditChart_ = new QPushButton(QStringLiteral("Ред. график"));
    lblZ_ = new QLabel;
    lblZ_->setMinimumWidth(20);
    DBEdit5_ = new QLineEdit;
    DBEdit5_->setFixedWidth(90);
    sbSpecialPoints_ = new QPushButton(QStringLiteral("Особые точки"));
    auto* first = new QHBoxLayout;
    first->addWidget(sbRun_);
    first->addWidget(chbStep_);
    first->addWidget(sbStop_);
    first->addSpacing(12);
    first->addWidget(sbDiagram_);
    first->addWidget(sbEditChart_);
    first->addSpacing(12);
    first->addWidget(lblZ_);
    first->addWidget(DBEdit5_);
    first->addStretch();
    first->addWidget(sbSpecialPoints_);
    return first;
}

QWidget* TfmMain::BuildYAxisGroup()
{
    dbcbY_ = new QComboBox;
    for (const char* item : kYListItems)
        dbcbY_->addItem(QString::fromLatin1(item));
    edYmin_ = new QLineEdit;
    edYmax_ = new QLineEdit;
    auto* yAxis = new QGridLayout;
    yAxis->addWidget(new QLabel(QStringLiteral(" Y - это")), 0, 0);
    yAxis->addWidget(dbcbY_, 0, 1, 1, 3);
    yAxis->addWidget(new QLabel(QStringLiteral("Ymin")), 1, 0);
    yAxis->addWidget(edYmin_, 1, 1);
    yAxis->addWidget(new QLabel(QStringLiteral("Ymax")), 1, 2);
    yAxis->addWidget(edYmax_, 1, 3);
    return Group(QStringLiteral(" Ось Y  "), yAxis);
}

QWidget* TfmMain::BuildPointsGroup()
{
    edXPoints_ = new QLineEdit;
    edYPoints_ = new QLineEdit;
    // Digits only; the range is the field's, and its own message says so when the edit is left.
    for (QLineEdit* e : {edXPoints_, edYPoints_}) {
        e->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[-+]?[0-9]{0,10}")), e));
        e->setFixedWidth(60);
    }
    auto* points = new QGridLayout;
    points->addWidget(new QLabel(QStringLiteral("Ось X")), 0, 0);
    points->addWidget(edXPoints_, 0, 1);
    points->addWidget(new QLabel(QStringLiteral("Ось Y")), 1, 0);
    points->addWidget(edYPoints_, 1, 1);
    return Group(QStringLiteral(" Число точек "), points);
}

QWidget* TfmMain::BuildShowGroup()
{
    chbShowMosaic_ = new QCheckBox(QStringLiteral("Мозаичная диаграмма"));
    chbShowChart_ = new QCheckBox(QStringLiteral("Рабочая диаграмма"));
    auto* show = new QVBoxLayout;
    show->addWidget(chbShowMosaic_);
    show->addWidget(chbShowChart_);
    return Group(QStringLiteral(" Демонстрация "), show);
}

QLayout* TfmMain::BuildEndButtons()
{
    sbGrid_ = new QPushButton(QStringLiteral("&Grid"));
    chbSave_ = new QCheckBox(QStringLiteral("Сохранить"));
    chbSave_->setToolTip(QStringLiteral("Save settings on close"));
    chbSave_->setChecked(true);
    sbClose_ = new QPushButton(QStringLiteral("Закрыть"));
    auto* ends = new QVBoxLayout;
    ends->addWidget(sbGrid_);
    ends->addWidget(chbSave_);
    ends->addWidget(sbClose_);
    return ends;
}

void TfmMain::ConnectRunControls()
{
    connect(sbRun_, &QPushButton::clicked, this, &TfmMain::sbRunClick);
    connect(sbStop_, &QToolButton::clicked, this, &TfmMain::sbStopClick);
    connect(chbStep_, &QCheckBox::clicked, this, [this](bool checked) { zebdbgrid1_->setEnabled(checked); });
    connect(sbEditChart_, &QPushButton::clicked, this, [this] { TChartEditor::Edit(chart_, this); });
    connect(sbClose_, &QPushButton::clicked, this, &TfmMain::close);
    connect(chbSave_, &QCheckBox::toggled, this, [this](bool on) { session_->SetSaveWanted(on); });
    connect(sbDiagram_, &QPushButton::clicked, this, [this] {
        if (diagram_)
            BuildDiagram();
    });
    connect(sbGrid_, &QPushButton::clicked, this, &TfmMain::ShowGrid);
    connect(sbSpecialPoints_, &QPushButton::clicked, this, [this] {
        if (!specPoints_)
            return;
        FillSpecialPoints();
        specPoints_->show();
    });
}

void TfmMain::ShowGrid()
{
    if (!cells_)
        return;
    cells_->GridChanged(); // the rows of a run that was stopped while the window was hidden
    cells_->ShowNarrow();
}

void TfmMain::ConnectBoundControls()
{
    // The bound controls write into the current row as the user types.
    connect(dbcbY_, &QComboBox::activated, this, &TfmMain::YChosen);
    for (const auto& [edit, field] : NumberEdits()) {
        connect(edit, &QLineEdit::textEdited, this, [this, edit = edit, field = field] { CommitTypedText(edit, field); });
        connect(edit, &QLineEdit::editingFinished, this, [this, edit = edit, field = field] {
            if (edit->isModified())
                FinishTypedNumber(edit, field);
        });
    }
    for (QCheckBox* box : {chbShowMosaic_, chbShowChart_})
        connect(box, &QCheckBox::clicked, this, [this, box](bool checked) { SwitchClicked(box, checked); });
}

void TfmMain::BuildMenus()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("Файл"));
    actOpen_ = file->addAction(QStringLiteral("Открыть"), this, [this] { session_->OpenCommand(); });
    actCreate_ = file->addAction(QStringLiteral("Создать"), this, [this] { session_->CreateCommand(); });
    actSave_ = file->addAction(QStringLiteral("Сохранить"), this, [this] {
        CommitTyping();
        session_->SaveCommand();
    });
    file->addSeparator();
    file->addAction(QStringLiteral("Закрыть"), this, &TfmMain::close);
    menuBar()->addAction(QStringLiteral("Цвет мозаичной диаграммы"), this, &TfmMain::N4Click);
    menuBar()->addAction(QStringLiteral("О программе..."), this, [this] {
        if (about_)
            about_->exec();
    });
}

void TfmMain::BuildStatusBar()
{
    // Bold stands the panels out; the window's own family keeps them of a piece
    // with it (a serif face here would be a stranger's, picked by substitution).
    QFont font = statusBar()->font();
    font.setBold(true);
    statusPanel0_ = new QLabel;
    statusPanel0_->setFixedWidth(250);
    statusPanel0_->setAlignment(Qt::AlignCenter);
    statusPanel1_ = new QLabel;
    statusPanel1_->setFixedWidth(50);
    for (QLabel* panel : {statusPanel0_, statusPanel1_}) {
        panel->setFont(font);
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        statusBar()->addWidget(panel);
    }
    statusBar()->setSizeGripEnabled(true);
}

void TfmMain::CreateOtherWindows()
{
    mosaic_ = new TfmMDiagram(this);
    diagram_ = new TfmDiagram2(QDir::current().filePath(QStringLiteral("Chart.cfg")), this);
    cells_ = new TfmCells(session_->Results().Cells, this);
    specPoints_ = new TfmSpecPoints(this);
    about_ = new TfmAbout(DocumentationUrl(), this);
    WireRunView();
}

void TfmMain::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!boundsApplied_) {
        boundsApplied_ = true;
        // The frame is known only once the window is on the screen.
        QTimer::singleShot(0, this, &TfmMain::ApplySettingsBounds);
    }
}

void TfmMain::ApplySettingsBounds()
{
    const TSettings& s = session_->Settings();
    const QRect frame = frameGeometry();
    // A window manager adds its frame a moment after the window is mapped.
    if (frame == geometry() && QGuiApplication::platformName() == QLatin1String("xcb") && frameTries_ < 10) {
        ++frameTries_;
        QTimer::singleShot(50, this, &TfmMain::ApplySettingsBounds);
        return;
    }
    const int extraWidth = frame.width() - width();
    const int extraHeight = frame.height() - height();
    resize(std::max(1, s.Width - extraWidth), std::max(1, s.Height - extraHeight));
    move(s.Left, s.Top);
}

void TfmMain::closeEvent(QCloseEvent* event)
{
    if (session_->IsRunning()) {
        // The press ends first; the window closes when it has.
        event->ignore();
        if (session_->AskStop()) {
            session_->RequestStop();
            closeAfterRun_ = true;
        }
        return;
    }
    CommitTyping();
    session_->SetSaveWanted(chbSave_->isChecked());
    switch (session_->SaveBeforeExit()) {
    case TSession::TExitStep::Stay:
        event->ignore();
        ShowCurrentRow();
        return;
    case TSession::TExitStep::Leave: {
        const QRect frame = frameGeometry();
        session_->KeepWindowFrame(frame.left(), frame.top(), frame.width(), frame.height());
        session_->WriteSettings(options_.ProgramDir, options_.CurrentDir);
        break;
    }
    case TSession::TExitStep::LeaveUnsaved:
        break;
    }
    // The chart's appearance is kept whatever "Сохранить" says.
    if (diagram_)
        if (const QString error = diagram_->SaveSettings(); !error.isEmpty())
            QMessageBox::critical(this, QStringLiteral("Solvane"), error);
    event->accept();
    for (QWidget* w : {static_cast<QWidget*>(mosaic_), static_cast<QWidget*>(diagram_),
                       static_cast<QWidget*>(cells_), static_cast<QWidget*>(specPoints_)})
        if (w)
            w->hide();
}

void TfmMain::sbCheckClick()
{
    const std::vector<TScriptFinding> findings = session_->CheckCurrentScript();
    if (findings.empty()) {
        QMessageBox::information(this, QStringLiteral("Solvane"), QStringLiteral("Замечаний нет."));
        return;
    }
    QStringList lines;
    for (const TScriptFinding& finding : findings)
        lines << (finding.Severity == TFindingSeverity::Error ? QStringLiteral("Ошибка. ") : QStringLiteral("Внимание. ")) +
                     FromCp1251(DescribeFinding(finding));
    QMessageBox box(HasError(findings) ? QMessageBox::Critical : QMessageBox::Warning, QStringLiteral("Solvane"),
                    QStringLiteral("Замечания к выражениям: %1").arg(findings.size()), QMessageBox::Ok, this);
    box.setInformativeText(lines.join('\n'));
    box.exec();
}

void TfmMain::Refuse(const QString& message) { QMessageBox::warning(this, QStringLiteral("Solvane"), message); }

void TfmMain::N4Click()
{
    const QColor chosen = QColorDialog::getColor(ColorFromRef(session_->MosaicColor()), this);
    if (chosen.isValid())
        session_->SetMosaicColor(RefFromColor(chosen));
}

} // namespace solvane
