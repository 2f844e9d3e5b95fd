#pragma once
// The current problem as the windows edit it: typed setters and getters for
// the fields of the problem record, the list of problems by row, the moves
// between them, and one notification when what is shown changes. The windows
// name no table field; the table's own checks and messages stay where they are.
#include "store/ProblemTable.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace solvane {

enum class TProblemField {
    ProblemName, Ymin, Ymax, Zvalue, YPoints, XPoints, ShowMosaicDiagram, ShowChart, Functs, Yparameter, Zparameter
};

// What changed: the rows of the list (a problem came, went or another one is
// current) or the current problem's values, all of them or one field.
struct TProblemChange {
    bool Rows = false;
    std::optional<TProblemField> Field; // none: the whole current problem
};

class TProblemEditor {
public:
    explicit TProblemEditor(TProblemTable& problems);
    TProblemEditor(const TProblemEditor&) = delete;
    TProblemEditor& operator=(const TProblemEditor&) = delete;

    // The one notification the windows listen to.
    std::function<void(const TProblemChange&)> OnChanged;
    void NotifyRows() { Notify({true, std::nullopt}); }
    void NotifyValues() { Notify({false, std::nullopt}); }

    bool IsOpen() const { return table_.Active(); }
    bool HasCurrentProblem() const { return problems_.HasCurrentProblem(); }
    bool IsInserting() const { return table_.State() == TTableState::Insert; }
    // The problem being edited, its pending values included.
    TProblemRow Current() const;

    // The list: the stored problems in order, then a new one being inserted.
    int RowCount() const;
    int CurrentRow() const; // -1 without a database
    std::string NameAt(int row) const;
    // Moving posts a pending edit first: false when that post was rejected.
    bool MoveTo(int row);
    void Insert();
    bool CanDelete() const { return IsOpen() && table_.RecordCount() > 0; }
    void Delete();
    void Cancel();

    // The name typed into the list's row; moving to that row first, when it is
    // another, posts a pending edit: false when that post was rejected.
    bool RenameAt(int row, const std::string& name);

    // Typed writes into the current problem. A write into a database without
    // problems starts a new one; one the table refuses throws EDatabaseError
    // with the table's own message.
    void SetProblemName(const std::string& name) { SetText(TProblemField::ProblemName, name); }
    void SetFuncts(const std::string& script) { SetText(TProblemField::Functs, script); }
    void SetYmin(double value) { SetNumber(TProblemField::Ymin, value); }
    void SetYmax(double value) { SetNumber(TProblemField::Ymax, value); }
    void SetZvalue(double value) { SetNumber(TProblemField::Zvalue, value); }
    void SetXPoints(std::int64_t count) { SetCount(TProblemField::XPoints, count); }
    void SetYPoints(std::int64_t count) { SetCount(TProblemField::YPoints, count); }
    void SetShowMosaicDiagram(bool on) { SetSwitch(TProblemField::ShowMosaicDiagram, on); }
    void SetShowChart(bool on) { SetSwitch(TProblemField::ShowChart, on); }
    // The user picks an item of the Y list: its text becomes Yparameter and
    // the fixed quantity (Zparameter's caption) follows.
    void ChooseY(int index);

    // The number fields by name, for the edits that show them.
    void SetNumber(TProblemField field, double value);
    void SetCount(TProblemField field, std::int64_t count);
    double Number(TProblemField field) const;
    std::string DisplayText(TProblemField field, char decimalSeparator) const;
    std::string Functs() const { return table_.AsString(Index(TProblemField::Functs)); }
    bool ShowMosaicDiagram() const { return table_.AsBoolean(Index(TProblemField::ShowMosaicDiagram)); }
    bool ShowChart() const { return table_.AsBoolean(Index(TProblemField::ShowChart)); }
    bool IsNameMissing() const { return table_.IsNull(Index(TProblemField::ProblemName)); }

    // What the window shows beside the fields.
    int YListIndex() const { return problems_.YListIndex(); }
    const std::string& ZCaption() const { return problems_.ZCaption(); }
    bool ZEditVisible() const { return problems_.ZEditVisible(); }
    bool ChartVisible() const { return problems_.ChartVisible(); }
    const std::string& StatusText() const { return problems_.StatusText(); }
    void SetStatusText(const std::string& text) { problems_.SetStatusText(text); }
    void ZvalueEditExit();

    // The stored records themselves, for tests and tools that check the bytes.
    TVolgaTable& Table() { return table_; }
    const TVolgaTable& Table() const { return table_; }

private:
    int Index(TProblemField field) const;
    void Notify(const TProblemChange& change);
    void SetText(TProblemField field, const std::string& text)
    {
        Write([&] { table_.SetAsString(Index(field), text); });
    }
    void SetSwitch(TProblemField field, bool on) { Write([&] { table_.SetAsBoolean(Index(field), on); }); }
    void Write(const std::function<void()>& write);

    TProblemTable& problems_;
    TVolgaTable& table_;
};

} // namespace solvane
