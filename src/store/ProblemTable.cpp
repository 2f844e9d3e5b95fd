#include "store/ProblemTable.h"

#include <cmath>

namespace solvane {

int YListIndexOf(std::string_view yparameter)
{
    for (int i = 0; i < 3; ++i)
        if (yparameter == std::string_view(kYListItems[i]))
            return i;
    return -1;
}

std::string ZvalueDisplayFormat(double zvalue, bool twoExponentDigits)
{
    if (std::fabs(zvalue) < 1e-5)
        return twoExponentDigits ? "0.####e-00" : "0.####e-0";
    return "0.######";
}

TProblemTable::TProblemTable(TMessageSink& messages) : m_messages(messages), m_table("vtblProblem")
{
    m_table.IndexFieldNames = "ProblemName";
    m_table.Bindings = ProblemFieldBindings();
    m_table.SetDisplayFormat("Ymin", "0.######");
    m_table.SetDisplayFormat("Ymax", "0.######");
    m_table.SetDisplayFormat("Zvalue", "0.####e-0");
    m_table.BeforePost = [this] { return CheckBeforePost(); };
    m_table.AfterInsert = [this] { NewProblemValues(); };
    m_table.AfterPost = [this] { DatabaseModified = true; };
    m_table.AfterDelete = [this] { DatabaseModified = true; };
    m_table.AfterScroll = [this] { CurrentProblemChanged(); };
    m_table.AfterOpen = [this] { SetZvalueFormat(false); };
    // The label shows the stored Zparameter whenever the row or that field changes.
    m_table.OnDataChange = [this](int field) {
        const int zparameter = m_table.FieldIndex("Zparameter");
        if (zparameter >= 0 && (field < 0 || field == zparameter))
            m_zCaption = m_table.AsString(zparameter);
        if (OnShownDataChange)
            OnShownDataChange(field);
    };
}

bool TProblemTable::CheckBeforePost()
{
    const char* failure = nullptr;
    std::string text;
    if (m_table.IsNull("ProblemName"))
        failure = "Problem name must be assigned";
    else if (m_table.IsNull("Yparameter"))
        failure = "Y parameter must be selected";
    else if (m_table.IsNull("Zvalue"))
        text = m_zCaption + " must be assigned";
    else if (!(m_table.AsFloat("Zvalue") > 0))
        text = m_zCaption + " must have positive value";
    if (failure)
        text = failure;
    if (!text.empty()) {
        m_messages.Show(TMessageKind::Warning, text);
        return false;
    }
    m_table.SetAsString("Zparameter", m_zCaption);
    return true;
}

void TProblemTable::NewProblemValues()
{
    const TProblemRow fresh = NewProblemRow();
    m_table.SetAsInteger("YPoints", fresh.YPoints);
    m_table.SetAsInteger("XPoints", fresh.XPoints);
    m_table.SetAsBoolean("ShowChart", fresh.ShowChart);
}

void TProblemTable::CurrentProblemChanged()
{
    m_statusText.clear();
    if (OnCurrentProblem)
        OnCurrentProblem(m_table.AsFloat("Ymin"), m_table.AsFloat("Ymax"));
    m_chartVisible = m_table.AsBoolean("ShowChart");
    SetZvalueFormat(true);
    YListChanged();
}

void TProblemTable::SetZvalueFormat(bool twoExponentDigits)
{
    m_table.SetDisplayFormat("Zvalue", ZvalueDisplayFormat(m_table.AsFloat("Zvalue"), twoExponentDigits));
}

void TProblemTable::ZvalueEditExit() { SetZvalueFormat(false); }

int TProblemTable::YListIndex() const { return YListIndexOf(m_table.AsString("Yparameter")); }

void TProblemTable::ChooseY(int index)
{
    if (index < 0 || index > 2)
        return;
    m_table.SetAsString("Yparameter", kYListItems[index]);
    YListChanged();
}

void TProblemTable::YListChanged()
{
    static const std::string captions[3] = {"P", "T", kFixedAtStandard};
    m_zEditVisible = true;
    const int index = YListIndex();
    if (index < 0)
        return;
    m_zCaption = captions[index];
    m_zEditVisible = index != 2;
}

bool TProblemTable::Cleanup()
{
    if (!m_table.First())
        return false;
    while (!m_table.Eof()) {
        for (const char* name : {"Yparameter", "Zparameter"}) {
            std::string text = m_table.AsString(name);
            const std::size_t comma = text.find(',');
            if (comma == std::string::npos)
                continue;
            text.erase(comma, 100);
            m_table.SetAsString(name, text);
        }
        if (m_table.State() == TTableState::Edit && !m_table.Post())
            return false;
        if (!m_table.Next())
            return false;
    }
    return m_table.First();
}

bool TProblemTable::HasCurrentProblem() const
{
    return m_table.Active() && (m_table.RecNo() > 0 || m_table.State() == TTableState::Insert);
}

TProblemRow TProblemTable::CurrentProblem() const
{
    TProblemRow row;
    row.ProblemName = m_table.AsString("ProblemName");
    row.Ymin = m_table.AsFloat("Ymin");
    row.Ymax = m_table.AsFloat("Ymax");
    row.Zvalue = m_table.AsFloat("Zvalue");
    row.YPoints = static_cast<int>(m_table.AsInteger("YPoints"));
    row.XPoints = static_cast<int>(m_table.AsInteger("XPoints"));
    row.ShowMosaicDiagram = m_table.AsBoolean("ShowMosaicDiagram");
    row.ShowChart = m_table.AsBoolean("ShowChart");
    row.Functs = m_table.AsString("Functs");
    row.Yparameter = m_table.AsString("Yparameter");
    row.Zparameter = m_table.AsString("Zparameter");
    return row;
}

} // namespace solvane
