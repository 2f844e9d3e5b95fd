#pragma once
// The problem table vtblProblem: the schema binding, the checks before a
// problem is stored, the values of a new problem, the fixed-quantity caption
// that follows the Y choice, the Zvalue display format, the cleanup after
// opening, and DatabaseModified. The window shows what this class holds.
#include "text/Messages.h"
#include "store/ProblemRow.h"
#include "store/VolgaTbl.h"

#include <functional>
#include <string>
#include <string_view>

namespace solvane {

// The items of the Y list, in order.
inline constexpr const char* kYListItems[3] = {"Temperature", "Pressure", "Y"};
// The fixed-quantity caption for "Y" (Windows-1251): "P = 1 бар, T = 300 K", 20 bytes.
inline constexpr const char* kFixedAtStandard = "P = 1 \xE1\xE0\xF0, T = 300 K";

// The question the navigator's Delete button asks (OK / Cancel) before Delete.
inline constexpr const char* kDeleteRecordQuestion = "Delete record?";

// The Y list index of a stored Yparameter text, -1 when no item matches.
int YListIndexOf(std::string_view yparameter);

// "0.####e-0" / "0.####e-00" below 1e-5 in absolute value, else "0.######".
std::string ZvalueDisplayFormat(double zvalue, bool twoExponentDigits);

class TProblemTable {
public:
    explicit TProblemTable(TMessageSink& messages);
    TProblemTable(const TProblemTable&) = delete;
    TProblemTable& operator=(const TProblemTable&) = delete;

    TVolgaTable& Table() { return m_table; }
    const TVolgaTable& Table() const { return m_table; }

    // Set by every accepted post and every delete.
    bool DatabaseModified = false;

    // Called when another problem becomes current, with its Ymin and Ymax
    // (the run state takes them, and CurrentY = Ymax).
    std::function<void(double ymin, double ymax)> OnCurrentProblem;
    // Called when the values shown change: a field's index, or -1 for the whole row.
    std::function<void(int field)> OnShownDataChange;

    // What the window shows for the current problem.
    const std::string& ZCaption() const { return m_zCaption; }  // the label lblZ
    bool ZEditVisible() const { return m_zEditVisible; }        // the edit DBEdit5
    bool ChartVisible() const { return m_chartVisible; }        // the working chart
    const std::string& StatusText() const { return m_statusText; }
    void SetStatusText(const std::string& text) { m_statusText = text; }

    int YListIndex() const;
    // The user picks an item of the Y list: its text is stored, then the caption follows.
    void ChooseY(int index);
    // The Y list change handler.
    void YListChanged();
    // Leaving the fixed-quantity edit.
    void ZvalueEditExit();

    // After a database is opened: cuts Yparameter and Zparameter at a comma,
    // posting each changed row. False when a post was rejected (the row stays in edit state).
    bool Cleanup();

    // A problem is current: a row of the list, or a new one being inserted.
    bool HasCurrentProblem() const;
    TProblemRow CurrentProblem() const;

private:
    bool CheckBeforePost();
    void NewProblemValues();
    void CurrentProblemChanged();
    void SetZvalueFormat(bool twoExponentDigits);

    TMessageSink& m_messages;
    TVolgaTable m_table;
    std::string m_zCaption;
    bool m_zEditVisible = true;
    bool m_chartVisible = true;
    std::string m_statusText;
};

} // namespace solvane
