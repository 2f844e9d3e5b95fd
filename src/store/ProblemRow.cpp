#include "store/ProblemRow.h"

namespace solvane {

TProblemRow NewProblemRow()
{
    TProblemRow row;
    row.YPoints = 100;
    row.XPoints = 100;
    row.ShowChart = true;
    return row;
}

std::vector<TFieldDef> ProblemFieldDefs()
{
    return {
        {"ProblemName", TFieldType::SmallStr, kProblemTextLength},
        {"Ymin", TFieldType::Double, 0},
        {"Ymax", TFieldType::Double, 0},
        {"Zvalue", TFieldType::Double, 0},
        {"YPoints", TFieldType::SmallInt, 0},
        {"XPoints", TFieldType::SmallInt, 0},
        {"ShowMosaicDiagram", TFieldType::Boolean, 0},
        {"ShowChart", TFieldType::Boolean, 0},
        {"Functs", TFieldType::Memo, 0},
        {"Yparameter", TFieldType::SmallStr, kProblemTextLength},
        {"Zparameter", TFieldType::SmallStr, kProblemTextLength},
    };
}

std::vector<TFieldBinding> ProblemFieldBindings()
{
    std::vector<TFieldBinding> bindings;
    for (const TFieldDef& def : ProblemFieldDefs()) {
        if (def.Type == TFieldType::SmallStr)
            bindings.push_back({def.Name, {TFieldType::SmallStr, TFieldType::String}}); // "K" or "s20"
        else
            bindings.push_back({def.Name, {def.Type}});
    }
    return bindings;
}

TProblemRow ReadProblemRow(const TVolgaTable& table, const TRowValues& values)
{
    const auto& fields = table.Fields();
    auto field = [&](const char* name) -> const TVolgaField& { return fields[table.FieldIndexChecked(name)]; };
    auto text = [&](const char* name) { return std::string(TextValue(field(name), values)); };
    auto number = [&](const char* name) { return FixedValue(field(name), values); };
    TProblemRow row;
    row.ProblemName = text("ProblemName");
    row.Ymin = number("Ymin");
    row.Ymax = number("Ymax");
    row.Zvalue = number("Zvalue");
    row.YPoints = static_cast<int>(number("YPoints"));
    row.XPoints = static_cast<int>(number("XPoints"));
    row.ShowMosaicDiagram = number("ShowMosaicDiagram") != 0;
    row.ShowChart = number("ShowChart") != 0;
    row.Functs = text("Functs");
    row.Yparameter = text("Yparameter");
    row.Zparameter = text("Zparameter");
    return row;
}

void WriteProblemRow(TVolgaTable& table, const TProblemRow& problem)
{
    table.SetAsString("ProblemName", problem.ProblemName);
    table.SetAsFloat("Ymin", problem.Ymin);
    table.SetAsFloat("Ymax", problem.Ymax);
    table.SetAsFloat("Zvalue", problem.Zvalue);
    table.SetAsInteger("YPoints", problem.YPoints);
    table.SetAsInteger("XPoints", problem.XPoints);
    table.SetAsBoolean("ShowMosaicDiagram", problem.ShowMosaicDiagram);
    table.SetAsBoolean("ShowChart", problem.ShowChart);
    table.SetAsString("Functs", problem.Functs);
    table.SetAsString("Yparameter", problem.Yparameter);
    table.SetAsString("Zparameter", problem.Zparameter);
}

void BuildProblemDatabase(TVolgaTable& table, const std::vector<TProblemRow>& problems)
{
    table.CreateFromDefinitions(ProblemFieldDefs());
    table.OpenLoaded();
    for (const TProblemRow& problem : problems) {
        table.Insert();
        WriteProblemRow(table, problem);
        table.Post();
    }
    table.Close();
}

} // namespace solvane
