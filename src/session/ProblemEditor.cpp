#include "session/ProblemEditor.h"

#include <array>

namespace solvane {
namespace {

// The record's field names, in the order of TProblemField.
constexpr std::array<const char*, 11> kFieldNames = {"ProblemName", "Ymin",      "Ymax",   "Zvalue",
                                                     "YPoints",     "XPoints",   "ShowMosaicDiagram",
                                                     "ShowChart",   "Functs",    "Yparameter",
                                                     "Zparameter"};

const char* NameOf(TProblemField field) { return kFieldNames[static_cast<std::size_t>(field)]; }

} // namespace

TProblemEditor::TProblemEditor(TProblemTable& problems) : problems_(problems), table_(problems.Table())
{
    problems_.OnShownDataChange = [this](int index) {
        if (index < 0) {
            NotifyValues();
            return;
        }
        for (std::size_t i = 0; i < kFieldNames.size(); ++i)
            if (index == table_.FieldIndex(kFieldNames[i]))
                Notify({false, static_cast<TProblemField>(i)});
    };
}

void TProblemEditor::Notify(const TProblemChange& change)
{
    if (OnChanged)
        OnChanged(change);
}

int TProblemEditor::Index(TProblemField field) const { return table_.FieldIndexChecked(NameOf(field)); }

TProblemRow TProblemEditor::Current() const
{
    return HasCurrentProblem() ? problems_.CurrentProblem() : TProblemRow{};
}

int TProblemEditor::RowCount() const
{
    if (!table_.Active())
        return 0;
    return table_.RecordCount() + (IsInserting() ? 1 : 0);
}

int TProblemEditor::CurrentRow() const
{
    if (!table_.Active())
        return -1;
    // A new problem is listed at the bottom, where it stays once posted.
    return IsInserting() ? table_.RecordCount() : table_.RecNo() - 1;
}

std::string TProblemEditor::NameAt(int row) const
{
    if (row == CurrentRow())
        return table_.AsString(Index(TProblemField::ProblemName)); // the pending edit or insert, if any
    const TVolgaRow& stored = table_.Rows()[table_.VisibleRows()[static_cast<std::size_t>(row)]];
    return ReadProblemRow(table_, stored.Values).ProblemName;
}

bool TProblemEditor::MoveTo(int row)
{
    const bool moved = table_.MoveToRecNo(row + 1);
    NotifyRows();
    return moved;
}

bool TProblemEditor::RenameAt(int row, const std::string& name)
{
    if (row != CurrentRow() && !table_.MoveToRecNo(row + 1))
        return false;
    SetProblemName(name);
    return true;
}

void TProblemEditor::Insert()
{
    table_.Insert();
    NotifyRows();
}

void TProblemEditor::Delete()
{
    table_.Delete();
    NotifyRows();
}

void TProblemEditor::Cancel()
{
    if (table_.Active())
        table_.Cancel();
    NotifyRows();
}

void TProblemEditor::ChooseY(int index)
{
    Write([&] { problems_.ChooseY(index); });
}

void TProblemEditor::SetNumber(TProblemField field, double value)
{
    Write([&] { table_.SetAsFloat(Index(field), value); });
}

void TProblemEditor::SetCount(TProblemField field, std::int64_t count)
{
    Write([&] { table_.SetAsInteger(Index(field), count); });
}

double TProblemEditor::Number(TProblemField field) const { return table_.AsFloat(Index(field)); }

std::string TProblemEditor::DisplayText(TProblemField field, char decimalSeparator) const
{
    return table_.DisplayText(table_.FieldIndex(NameOf(field)), decimalSeparator);
}

void TProblemEditor::ZvalueEditExit()
{
    if (table_.Active())
        problems_.ZvalueEditExit();
}

void TProblemEditor::Write(const std::function<void()>& write)
{
    // Typing into a database without problems starts one: the list gains its row.
    const bool hadProblem = HasCurrentProblem();
    const auto notifyStarted = [&] {
        if (!hadProblem && HasCurrentProblem())
            NotifyRows();
    };
    try {
        write();
    } catch (...) {
        notifyStarted();
        throw;
    }
    notifyStarted();
}

} // namespace solvane
