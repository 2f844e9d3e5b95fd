// TfmMain: the run controls, F9, and the bound controls that follow the current row.
#include "app/MainWindow.h"

#include "views/GridUnit.h"
#include "views/Diagram2.h"
#include "views/MDiagram.h"
#include "views/ProblemListModel.h"
#include "plot/QtText.h"
#include "script/YQuantity.h"
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
    runView_ = std::make_unique<TRunView>(session_->Run(), *chart_, *mosaic_);
    runView_->OnStatusText = [this](const QString& text) {
        // The problem table keeps the text until another problem becomes current.
        session_->Problems().SetStatusText(ToCp1251(text));
        statusPanel0_->setText(text);
    };
    runView_->OnState = [this](const TRunState& state) { ShowRunState(state); };
    runView_->OnNewRun = [this] {
        const QString name = FromCp1251(session_->RunProblemName());
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
    session_->SetRunObserver(runView_.get());
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
    if (session_->IsRunning())
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
    {
        // Editing comes back however the press ends, an error that leaves it included.
        SetEditingEnabled(false);
        const auto enableAgain = qScopeGuard([this] { SetEditingEnabled(true); });
        session_->RunPress(chbStep_->isChecked(), mosaic_->height());
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
    const SpecialPointsResult& found = diagram_->Build(session_->Run(), dbcbY_->currentText()).Special;
    specPoints_->SetOtherPoints(found.ListLines);
    cells_->GridChanged();
    if (found.HasCurrentCell)
        cells_->SetCurrentCell(found.CurrentCol, found.CurrentRow);
    if (specPoints_->isVisible())
        FillSpecialPoints();
}

void TfmMain::FillSpecialPoints()
{
    const bool temperature = YQuantityOf(session_->Problems().Current().Yparameter) == TYQuantity::Temperature;
    const char separator = session_->DecimalSeparator();
    specPoints_->FillTable(diagram_->Snapshot().Special.Nodes, temperature, separator);
    specPoints_->FillRefined(diagram_->Refinement(), temperature, separator);
}

void TfmMain::sbStopClick()
{
    if (session_->AskStop())
        session_->RequestStop();
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

void TfmMain::ProblemsChanged(const TProblemChange& change)
{
    // Rows that came while a control writes are shown once it has written.
    if (change.Rows && updatingControls_) {
        rowsChangedWhileWriting_ = true;
        return;
    }
    if (change.Rows)
        problemModel_->Follow(true);
    ShowCurrentRow(change.Field);
}

void TfmMain::SetUpdatingControls(bool on)
{
    updatingControls_ = on;
    if (!on && std::exchange(rowsChangedWhileWriting_, false))
        ProblemsChanged({true, std::nullopt});
}

bool TfmMain::WriteToRow(const std::function<void()>& write)
{
    // A write the table refuses (a closed table, a number out of a field's range)
    // is shown with the table's own message; the row keeps everything else.
    SetUpdatingControls(true);
    QString refusal;
    try {
        write();
    } catch (const std::exception& e) {
        refusal = FromCp1251(e.what());
    }
    SetUpdatingControls(false);
    if (!refusal.isEmpty())
        Refuse(refusal);
    return refusal.isEmpty();
}

void TfmMain::ScriptEdited()
{
    if (updatingControls_)
        return;
    QString text = memFunctions_->toPlainText();
    if (const QString refusal = Cp1251Refusal(text); !refusal.isEmpty()) {
        Refuse(refusal);
        ShowField(TProblemField::Functs);
        return;
    }
    const std::string script = ToCp1251(text.replace('\n', QStringLiteral("\r\n")));
    if (!WriteToRow([&] { session_->Problems().SetFuncts(script); }))
        ShowField(TProblemField::Functs);
}

void TfmMain::YChosen(int index)
{
    if (WriteToRow([&] { session_->Problems().ChooseY(index); }))
        ShowField(TProblemField::Zparameter);
    else
        ShowCurrentRow();
}

void TfmMain::SwitchClicked(QCheckBox* box, bool checked)
{
    if (!session_->Problems().IsOpen())
        return;
    const bool chart = box == chbShowChart_;
    if (!WriteToRow([&] { chart ? session_->SetShowChart(checked) : session_->SetShowMosaicDiagram(checked); }))
        return;
    if (chart)
        chbShowChartClick();
}

std::vector<std::pair<QLineEdit*, TProblemField>> TfmMain::NumberEdits() const
{
    return {{edYmin_, TProblemField::Ymin},
            {edYmax_, TProblemField::Ymax},
            {DBEdit5_, TProblemField::Zvalue},
            {edXPoints_, TProblemField::XPoints},
            {edYPoints_, TProblemField::YPoints}};
}

QString TfmMain::CommitTypedText(QLineEdit* edit, TProblemField field)
{
    TProblemEditor& problems = session_->Problems();
    if (!problems.IsOpen())
        return {};
    if (typedEdit_ != edit) {
        // The value before the first key, for a refused text to return to.
        typedEdit_ = edit;
        typedFrom_ = problems.Number(field);
    }
    const QString text = edit->text().trimmed();
    if (text.isEmpty())
        return {};
    QString refusal;
    SetUpdatingControls(true);
    try {
        if (!WriteTypedNumber(field, text))
            refusal = QStringLiteral("'%1' is not a valid number").arg(edit->text());
    } catch (const EDatabaseError& e) {
        refusal = FromCp1251(e.what());
    }
    SetUpdatingControls(false);
    problemModel_->Follow(false);
    return refusal;
}

bool TfmMain::WriteTypedNumber(TProblemField field, const QString& text)
{
    bool ok = false;
    if (field == TProblemField::XPoints || field == TProblemField::YPoints) {
        const qlonglong count = text.toLongLong(&ok);
        if (ok)
            session_->Problems().SetCount(field, count);
        return ok;
    }
    double value = QLocale().toDouble(text, &ok);
    if (!ok)
        value = QLocale::c().toDouble(text, &ok);
    if (ok)
        session_->Problems().SetNumber(field, value);
    return ok;
}

void TfmMain::FinishTypedNumber(QLineEdit* edit, TProblemField field)
{
    edit->setModified(false);
    const QString refusal = CommitTypedText(edit, field);
    typedEdit_ = nullptr;
    if (!refusal.isEmpty()) {
        // The field goes back to its value before the typing; the row stays in edit.
        WriteToRow([&] { session_->Problems().SetNumber(field, typedFrom_); });
        ShowField(field);
        Refuse(refusal);
    }
    if (edit == DBEdit5_)
        session_->Problems().ZvalueEditExit();
    ShowField(field);
}

void TfmMain::ShowField(TProblemField field)
{
    // A closed table knows no fields: everything is shown again.
    ShowCurrentRow(session_->Problems().IsOpen() ? std::optional(field) : std::nullopt);
}

void TfmMain::ShowCurrentRow(std::optional<TProblemField> field)
{
    if (updatingControls_)
        return;
    SetUpdatingControls(true);
    ShowFields(field);
    if (!field)
        ShowRowState();
    SetUpdatingControls(false);
    if (!field)
        ReselectCurrentRow();
    else
        problemModel_->Follow(false);
}

void TfmMain::ShowFields(std::optional<TProblemField> field)
{
    const TProblemEditor& problems = session_->Problems();
    const bool hasRow = problems.HasCurrentProblem();
    const char sep = session_->DecimalSeparator();
    auto shows = [&](TProblemField f) { return !field || *field == f; };
    if (shows(TProblemField::Functs)) {
        const QString text = hasRow ? FromCp1251(problems.Functs()).replace(QStringLiteral("\r\n"), "\n") : QString();
        if (memFunctions_->toPlainText() != text)
            memFunctions_->setPlainText(text);
    }
    for (const auto& [edit, f] : NumberEdits())
        if (shows(f) && !(edit->hasFocus() && edit->isModified())) // not under the user's typing
            edit->setText(hasRow ? FromCp1251(problems.DisplayText(f, sep)) : QString());
    if (shows(TProblemField::Yparameter))
        dbcbY_->setCurrentIndex(hasRow ? problems.YListIndex() : -1);
    if (shows(TProblemField::ShowMosaicDiagram))
        chbShowMosaic_->setChecked(hasRow && problems.ShowMosaicDiagram());
    if (shows(TProblemField::ShowChart))
        chbShowChart_->setChecked(!hasRow || problems.ShowChart());
    lblZ_->setText(FromCp1251(problems.ZCaption()));
    DBEdit5_->setVisible(problems.ZEditVisible());
}

void TfmMain::ShowRowState()
{
    // Without a database there is no row to type into.
    const TProblemEditor& problems = session_->Problems();
    memFunctions_->setReadOnly(!problems.IsOpen());
    for (const auto& [edit, field] : NumberEdits())
        edit->setReadOnly(!problems.IsOpen());
    const bool chartShown = !problems.HasCurrentProblem() || problems.ChartVisible();
    chart_->setVisible(chartShown);
    sbEditChart_->setVisible(chartShown);
    statusPanel0_->setText(FromCp1251(problems.StatusText()));
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
    TProblemEditor& problems = session_->Problems();
    if (movingRow_ || !current.isValid() || !problems.IsOpen() || current.row() == problemModel_->CurrentRow())
        return;
    // Moving posts a pending edit first; a rejected post keeps the user on the row.
    bool moved = false;
    {
        const QScopedValueRollback<bool> moving(movingRow_, true);
        moved = problems.MoveTo(current.row());
    }
    if (!moved) // after the list has finished with the click that asked for the move
        QMetaObject::invokeMethod(this, &TfmMain::ReturnToCurrentRow, Qt::QueuedConnection);
}

void TfmMain::ReturnToCurrentRow()
{
    ReselectCurrentRow();
    const TProblemEditor& problems = session_->Problems();
    if (problems.HasCurrentProblem() && problems.IsNameMissing())
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
