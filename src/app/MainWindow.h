#pragma once
// TfmMain, the main window: the problem list, the script, the working chart,
// the run controls and the menus. It owns the session (the problem database
// and the run) and the other windows of the program.
#include "session/Session.h"
#include "views/QtSeams.h"

#include <QMainWindow>
#include <QPointer>

#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class QCheckBox;
class QComboBox;
class QKeyEvent;
class QLayout;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableView;
class QToolButton;
class QAction;
class QSplitter;

namespace solvane {

class TProblemListModel;
class TRunView;
class TWorkingChart;
class TfmAbout;
class TfmCells;
class TfmDiagram2;
class TfmMDiagram;
class TfmSpecPoints;

struct TMainWindowOptions {
    std::string SettingsPath = kSettingsFileName;     // read at creation
    std::optional<std::string> Database;              // instead of the settings' WorkingFileName
    std::string ProgramDir;                           // where the settings are written at exit
    std::string CurrentDir;                           // where they are written when ProgramDir cannot be
    QString ExamplesDir;                              // where the open dialog starts, when set
};

class TfmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TfmMain(TMainWindowOptions options, QWidget* parent = nullptr);
    ~TfmMain() override;

    // The other windows, created hidden in their order after the main window.
    void CreateOtherWindows();

    TSession& Session() { return *session_; }
    TfmMDiagram* Mosaic() const { return mosaic_; }
    TWorkingChart* Chart() const { return chart_; }
    QPushButton* RunButton() const { return sbRun_; }

    // Places the window's outer frame at the settings' bounds, once it is shown.
    void ApplySettingsBounds();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QWidget* BuildProblemsColumn();
    QWidget* BuildProblemList();
    QLayout* BuildNavigator();
    QWidget* BuildRightPart();
    QWidget* BuildBottomPanel();
    QLayout* BuildRunRow();
    QWidget* BuildYAxisGroup();
    QWidget* BuildPointsGroup();
    QWidget* BuildShowGroup();
    QLayout* BuildEndButtons();
    void ConnectRunControls();
    void ConnectBoundControls();
    void BuildMenus();
    void BuildStatusBar();
    void WireRunView();

    // The bound controls follow the current row: all of it, or one field.
    void ProblemsChanged(const TProblemChange& change);
    void ShowCurrentRow(std::optional<TProblemField> field = std::nullopt);
    void ShowField(TProblemField field);
    void ShowFields(std::optional<TProblemField> field);
    void ShowRowState();
    void SetUpdatingControls(bool on);
    // What the user does to the current problem.
    void InsertProblem();
    void DeleteProblem();
    void ScriptEdited();
    void YChosen(int index);
    void SwitchClicked(QCheckBox* box, bool checked);
    bool WriteToRow(const std::function<void()>& write);
    std::vector<std::pair<QLineEdit*, TProblemField>> NumberEdits() const;
    QString CommitTypedText(QLineEdit* edit, TProblemField field);
    bool WriteTypedNumber(TProblemField field, const QString& text);
    void FinishTypedNumber(QLineEdit* edit, TProblemField field);
    void ProblemListClicked(const QModelIndex& current, const QModelIndex& previous);
    void ReselectCurrentRow();
    void ReturnToCurrentRow();
    void NameCurrentProblem();
    void CommitTyping();

    bool IsNewF9Press(const QKeyEvent* key, QWidget* widget);
    void F9Pressed();
    void sbRunClick();
    void sbStopClick();
    void ShowGrid();
    void BuildDiagram();
    void FillSpecialPoints();
    void sbCheckClick();
    void chbShowChartClick();
    void N4Click();
    void ShowRunState(const TRunState& state);
    void SetEditingEnabled(bool enabled);
    void Refuse(const QString& message);

    TMainWindowOptions options_;
    TQtMessageSink messages_;
    TQtDatabaseDialogs dialogs_;
    std::unique_ptr<TSession> session_;
    std::unique_ptr<TRunView> runView_;
    bool updatingControls_ = false;
    bool rowsChangedWhileWriting_ = false;
    bool movingRow_ = false; // a move to another problem is being asked for
    QLineEdit* typedEdit_ = nullptr; // the number edit being typed into
    double typedFrom_ = 0;           // its field's value before the first key
    bool boundsApplied_ = false;
    int frameTries_ = 0;
    bool closeAfterRun_ = false;
    const QEvent* f9Press_ = nullptr;  // the F9 press being delivered, until it is handled
    QPointer<QWidget> f9Target_;       // the control it was delivered to first

    // Windows of the program.
    TfmMDiagram* mosaic_ = nullptr;
    TfmDiagram2* diagram_ = nullptr;
    TfmCells* cells_ = nullptr;
    TfmSpecPoints* specPoints_ = nullptr;
    TfmAbout* about_ = nullptr;

    // Controls.
    QTableView* zebdbgrid1_ = nullptr;
    TProblemListModel* problemModel_ = nullptr;
    QToolButton* navInsert_ = nullptr;
    QToolButton* navDelete_ = nullptr;
    QToolButton* navCancel_ = nullptr;
    TWorkingChart* chart_ = nullptr;
    QSplitter* splitter_ = nullptr;
    QPlainTextEdit* memFunctions_ = nullptr;
    QPushButton* sbCheck_ = nullptr;
    QPushButton* sbRun_ = nullptr;
    QCheckBox* chbStep_ = nullptr;
    QToolButton* sbStop_ = nullptr;
    QPushButton* sbDiagram_ = nullptr;
    QPushButton* sbEditChart_ = nullptr;
    QLabel* lblZ_ = nullptr;
    QLineEdit* DBEdit5_ = nullptr;
    QPushButton* sbSpecialPoints_ = nullptr;
    QComboBox* dbcbY_ = nullptr;
    QLineEdit* edYmin_ = nullptr;
    QLineEdit* edYmax_ = nullptr;
    QLineEdit* edXPoints_ = nullptr;
    QLineEdit* edYPoints_ = nullptr;
    QCheckBox* chbShowMosaic_ = nullptr;
    QCheckBox* chbShowChart_ = nullptr;
    QPushButton* sbGrid_ = nullptr;
    QCheckBox* chbSave_ = nullptr;
    QPushButton* sbClose_ = nullptr;
    QLabel* statusPanel0_ = nullptr;
    QLabel* statusPanel1_ = nullptr;
    QAction* actOpen_ = nullptr;
    QAction* actCreate_ = nullptr;
    QAction* actSave_ = nullptr;
};

} // namespace solvane
