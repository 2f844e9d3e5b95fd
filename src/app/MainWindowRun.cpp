// TfmMain: the run controls, F9, and the bound controls that follow the current row.
#include "app/MainWindow.h"

#include "views/GridUnit.h"
#include "views/Diagram2.h"
#include "views/MDiagram.h"
#include "views/ProblemListModel.h"
#include "plot/QtText.h"
#include "views/RunView.h"
#include "views/SP_unit.h"
#include "views/WorkingChart.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScopeGuard>
#include <QScopedValueRollback>
#include <QTableView>
#include <QToolButton>

namespace solvane {

void TfmMain::WireRunView()
{
    runView_ = std::make_unique<TRunView>(session_->Run, *chart_, *mosaic_);
    runView_->OnStatusText = [this](const QString& text) {
        // The problem table keeps the text until another problem becomes current.
        session_->Problems().SetStatusText(ToCp1251(text));
        statusPanel0_->setText(text);
    };
    runView_->OnState = [this](const TRunState& state) { ShowRunState(state); };
    runView_->OnNewRun = [this] {
        const QString name = FromCp1251(session_->Run.Input.Problem.ProblemName);
        mosaic_->setWindowTitle(name);
        diagram_->setWindowTitle(name);
        cells_->setWindowTitle(name);
    };
    runView_->OnShowMosaic = [this] { mosaic_->show(); };
    // The grid window shows the rows as the run adds them.
    runView_->OnDrawn = [this] {
        if (cells_->isVisible())
            cells_->GridChanged();
    };
    runView_->OnComplete = [this] { BuildDiagram(); };
    session_->Run.SetObserver(runView_.get());
}

bool TfmMain::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        auto* widget = qobject_cast<QWidget*>(watched);
        if (key->key() == Qt::Key_F9 && widget && widget->window() == this && IsNewF9Press(key, widget))
            // After the key has gone on to the focused control: a run lets events
            // through, and this press must be over before any other key is seen.
            QMetaObject::invokeMethod(this, &TfmMain::F9Pressed, Qt::QueuedConnection);
        // The problem list never moves past its last row.
        if (watched == zebdbgrid1_ && key->key() == Qt::Key_Down &&
            zebdbgrid1_->currentIndex().row() + 1 >= problemModel_->rowCount())
            return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

bool TfmMain::IsNewF9Press(const QKeyEvent* key, QWidget* widget)
{
    if (key->isAutoRepeat() || QApplication::activeModalWidget())
        return false;
    // The main window sees F9 before its focused control, once per press, and
    // passes it on. A key the control ignores travels up through its parents
    // as the same event, and the problem list's own filter sees it again:
    // until the press is handled, those deliveries are not new presses.
    if (key == f9Press_ && widget && (widget == f9Target_ || widget->isAncestorOf(f9Target_)))
        return false;
    f9Press_ = key;
    f9Target_ = widget;
    return true;
}

void TfmMain::F9Pressed()
{
    f9Press_ = nullptr; // the press has been delivered
    if (!QApplication::activeModalWidget())
        sbRun_->click();
}

void TfmMain::sbRunClick()
{
    TRun& run = session_->Run;
    if (run.IsRunning())
        return;
    // The mosaic window hidden and shown again, the main window kept in front.
    mosaic_->hide();
    if (chbShowMosaic_->isChecked()) {
        mosaic_->show();
        raise();
        activateWindow();
    }
    const QPointer<QWidget> typingIn = QApplication::focusWidget();
    CommitTyping();
    run.Input.StepMode = chbStep_->isChecked();
    run.Input.MosaicHeight = mosaic_->height();
    {
        // Editing comes back however the press ends, an error that leaves it included.
        SetEditingEnabled(false);
        const auto enableAgain = qScopeGuard([this] { SetEditingEnabled(true); });
        session_->RunPress();
        runView_->Flush();
    }
    ShowCurrentRow();
    if (closeAfterRun_) {
        closeAfterRun_ = false;
        close();
        return;
    }
    // The keys typed after the press go where the user was typing before it.
    if (typingIn && typingIn->isEnabled() && typingIn->isVisible() && !QApplication::activeModalWidget())
        typingIn->setFocus();
}

void TfmMain::BuildDiagram()
{
    // The diagram command: the diagram, its special points search, the lists that follow it.
    const SpecialPointsResult& found = diagram_->Build(session_->Run, dbcbY_->currentText()).Special;
    specPoints_->SetOtherPoints(found.ListLines);
    cells_->GridChanged();
    if (found.HasCurrentCell)
        cells_->SetCurrentCell(found.CurrentCol, found.CurrentRow);
    if (specPoints_->isVisible())
        FillSpecialPoints();
}

void TfmMain::FillSpecialPoints()
{
    const bool temperature = dbcbY_->currentIndex() == 0;
    const char separator = session_->Run.Input.Separators.decimal;
    specPoints_->FillTable(diagram_->Snapshot().Special.Nodes, temperature, separator);
    specPoints_->FillRefined(diagram_->Refinement(), temperature, separator);
}

void TfmMain::sbStopClick()
{
    if (session_->AskStop())
        session_->Run.RequestStop();
}

void TfmMain::chbShowChartClick()
{
    chart_->setVisible(chbShowChart_->isChecked());
    sbEditChart_->setVisible(chbShowChart_->isChecked());
}

void TfmMain::ShowRunState(const TRunState& state)
{
    // Stop while a press is in progress; step mode only between runs; another
    // problem except while a continuous run sweeps.
    sbStop_->setEnabled(state.Phase != TRunPhase::Idle);
    chbStep_->setEnabled(state.Phase == TRunPhase::Idle);
    zebdbgrid1_->setEnabled(state.Phase != TRunPhase::Running);
    sbDiagram_->setEnabled(state.DiagramAvailable);
    // "&Grid" is enabled from the start; a run only enables it again when it ends.
    if (state.DiagramAvailable)
        sbGrid_->setEnabled(true);
}

void TfmMain::SetEditingEnabled(bool enabled)
{
    // While a press runs, nothing may change the table under it.
    for (QWidget* w : std::initializer_list<QWidget*>{memFunctions_, dbcbY_, edYmin_, edYmax_, edXPoints_, edYPoints_,
                                                      DBEdit5_, navInsert_, navDelete_, navCancel_})
        w->setEnabled(enabled);
    for (QAction* a : {actOpen_, actCreate_, actSave_})
        a->setEnabled(enabled);
}

void TfmMain::SetUpdatingControls(bool on) { updatingControls_ = on; }

bool TfmMain::WriteToRow(const std::function<void()>& write)
{
    // A write the table refuses (a closed table, a number out of a field's range)
    // is shown with the table's own message; the row keeps everything else.
    const bool hadProblem = session_->Problems().HasCurrentProblem();
    SetUpdatingControls(true);
    QString refusal;
    try {
        write();
    } catch (const std::exception& e) {
        refusal = FromCp1251(e.what());
    }
    SetUpdatingControls(false);
    ShowStartedProblem(hadProblem);
    if (!refusal.isEmpty())
        Refuse(refusal);
    return refusal.isEmpty();
}

std::vector<std::pair<QLineEdit*, const char*>> TfmMain::NumberEdits() const
{
    return {{edYmin_, "Ymin"}, {edYmax_, "Ymax"}, {DBEdit5_, "Zvalue"}, {edXPoints_, "XPoints"}, {edYPoints_, "YPoints"}};
}

QString TfmMain::CommitTypedText(QLineEdit* edit, const char* field)
{
    TVolgaTable& table = session_->Problems().Table();
    if (!table.Active())
        return {};
    if (typedEdit_ != edit) {
        // The value before the first key, for a refused text to return to.
        typedEdit_ = edit;
        typedFrom_ = table.AsFloat(field);
    }
    const QString text = edit->text().trimmed();
    if (text.isEmpty())
        return {};
    const bool hadProblem = session_->Problems().HasCurrentProblem();
    bool ok = false;
    QString refusal;
    SetUpdatingControls(true);
    try {
        if (edit == edXPoints_ || edit == edYPoints_) {
            const qlonglong value = text.toLongLong(&ok);
            if (ok)
                table.SetAsInteger(field, value);
        } else {
            double value = QLocale().toDouble(text, &ok);
            if (!ok)
                value = QLocale::c().toDouble(text, &ok);
            if (ok)
                table.SetAsFloat(field, value);
        }
        if (!ok)
            refusal = QStringLiteral("'%1' is not a valid number").arg(edit->text());
    } catch (const EDatabaseError& e) {
        refusal = FromCp1251(e.what());
    }
    SetUpdatingControls(false);
    ShowStartedProblem(hadProblem);
    problemModel_->CurrentRowChanged();
    return refusal;
}

void TfmMain::ShowStartedProblem(bool hadProblem)
{
    // Typing into a database without problems starts a new one, as "+" does:
    // the list shows its row, ready for its name, and the other controls its values.
    if (hadProblem || !session_->Problems().HasCurrentProblem())
        return;
    problemModel_->Reload();
    ShowCurrentRow();
}

void TfmMain::FinishTypedNumber(QLineEdit* edit, const char* field)
{
    edit->setModified(false);
    TVolgaTable& table = session_->Problems().Table();
    const QString refusal = CommitTypedText(edit, field);
    typedEdit_ = nullptr;
    if (!refusal.isEmpty()) {
        // The field goes back to its value before the typing; the row stays in edit.
        WriteToRow([&] { table.SetAsFloat(field, typedFrom_); });
        ShowCurrentRow(table.FieldIndex(field));
        Refuse(refusal);
    }
    if (edit == DBEdit5_ && table.Active())
        session_->Problems().ZvalueEditExit();
    ShowCurrentRow(table.FieldIndex(field));
}

void TfmMain::ShowCurrentRow(int field)
{
    if (updatingControls_)
        return;
    TProblemTable& problems = session_->Problems();
    const TVolgaTable& table = problems.Table();
    const bool hasRow = problems.HasCurrentProblem();
    const char sep = session_->Run.Input.Separators.decimal;
    auto shows = [&](const char* name) { return field < 0 || field == table.FieldIndex(name); };

    SetUpdatingControls(true);
    if (shows("Functs")) {
        const QString text = hasRow ? FromCp1251(table.AsString("Functs")).replace(QStringLiteral("\r\n"), "\n") : QString();
        if (memFunctions_->toPlainText() != text)
            memFunctions_->setPlainText(text);
    }
    for (const auto& [edit, name] : NumberEdits())
        if (shows(name) && !(edit->hasFocus() && edit->isModified())) // not under the user's typing
            edit->setText(hasRow ? FromCp1251(table.DisplayText(table.FieldIndex(name), sep)) : QString());
    if (shows("Yparameter"))
        dbcbY_->setCurrentIndex(hasRow ? problems.YListIndex() : -1);
    if (shows("ShowMosaicDiagram"))
        chbShowMosaic_->setChecked(hasRow && table.AsBoolean("ShowMosaicDiagram"));
    if (shows("ShowChart"))
        chbShowChart_->setChecked(!hasRow || table.AsBoolean("ShowChart"));
    lblZ_->setText(FromCp1251(problems.ZCaption()));
    DBEdit5_->setVisible(problems.ZEditVisible());
    if (field < 0) {
        // Without a database there is no row to type into.
        memFunctions_->setReadOnly(!table.Active());
        for (const auto& [edit, name] : NumberEdits())
            edit->setReadOnly(!table.Active());
        const bool chartShown = !hasRow || problems.ChartVisible();
        chart_->setVisible(chartShown);
        sbEditChart_->setVisible(chartShown);
        statusPanel0_->setText(FromCp1251(problems.StatusText()));
    }
    SetUpdatingControls(false);
    if (field < 0)
        ReselectCurrentRow();
    else
        problemModel_->CurrentRowChanged();
}

void TfmMain::ReselectCurrentRow()
{
    const int row = problemModel_->CurrentRow();
    QSignalBlocker block(zebdbgrid1_->selectionModel());
    if (row < 0 || row >= problemModel_->rowCount()) {
        zebdbgrid1_->selectionModel()->clearCurrentIndex();
        zebdbgrid1_->clearSelection();
    } else {
        zebdbgrid1_->selectionModel()->setCurrentIndex(problemModel_->index(row, 0),
                                                       QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    zebdbgrid1_->viewport()->update();
}

void TfmMain::ProblemListClicked(const QModelIndex& current, const QModelIndex&)
{
    TVolgaTable& table = session_->Problems().Table();
    if (movingRow_ || !current.isValid() || !table.Active() || current.row() == problemModel_->CurrentRow())
        return;
    // Moving posts a pending edit first; a rejected post keeps the user on the row.
    bool moved = false;
    {
        const QScopedValueRollback<bool> moving(movingRow_, true);
        moved = table.MoveToRecNo(current.row() + 1);
    }
    problemModel_->Reload();
    ShowCurrentRow();
    if (!moved) // after the list has finished with the click that asked for the move
        QMetaObject::invokeMethod(this, &TfmMain::ReturnToCurrentRow, Qt::QueuedConnection);
}

void TfmMain::ReturnToCurrentRow()
{
    ReselectCurrentRow();
    const TProblemTable& problems = session_->Problems();
    if (problems.HasCurrentProblem() && problems.Table().IsNull("ProblemName"))
        NameCurrentProblem();
}

void TfmMain::NameCurrentProblem()
{
    const int row = problemModel_->CurrentRow();
    if (row < 0)
        return;
    zebdbgrid1_->setFocus();
    zebdbgrid1_->edit(problemModel_->index(row, 0));
}

void TfmMain::CommitTyping()
{
    // A number or a name being typed goes in when its editor loses the focus.
    if (QWidget* focused = QApplication::focusWidget())
        focused->clearFocus();
}

} // namespace solvane
