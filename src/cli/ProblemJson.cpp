#include "cli/ProblemJson.h"

#include "text/Cp1251.h"
#include "cli/JsonOutput.h"

#include <cmath>
#include <limits>
#include <set>

namespace solvane::cli {
namespace {

using nlohmann::json;

const char* const kLineBreak = "\r\n";

// A value written by the shared JSON helpers, for a document whose keys keep their order.
nlohmann::ordered_json Leaf(const json& value) { return nlohmann::ordered_json::parse(value.dump()); }

nlohmann::ordered_json ScriptLines(const std::string& functs)
{
    nlohmann::ordered_json lines = nlohmann::ordered_json::array();
    if (functs.empty())
        return lines;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = functs.find(kLineBreak, start);
        lines.push_back(Leaf(JsonText(functs.substr(start, end - start))));
        if (end == std::string::npos)
            break;
        start = end + 2;
    }
    return lines;
}

class TProblemReader {
public:
    TProblemReader(const json& object, std::size_t index) : m_object(object), m_index(index) {}

    [[noreturn]] void Fail(const std::string& key, const std::string& what) const
    {
        throw EProblemJsonError("problem " + std::to_string(m_index + 1) + (key.empty() ? "" : ", \"" + key + "\"") +
                                ": " + what);
    }

    const json* Find(const char* key) const
    {
        const auto found = m_object.find(key);
        return found == m_object.end() ? nullptr : &*found;
    }

    std::string Cp1251(const std::string& key, const std::string& utf8) const
    {
        std::string bytes = Utf8ToCp1251(utf8);
        if (Cp1251ToUtf8(bytes) != utf8)
            Fail(key, "has a character outside Windows-1251");
        return bytes;
    }

    void Text(const char* key, std::string& target, std::size_t maxBytes) const
    {
        const json* value = Find(key);
        if (!value || value->is_null())
            return;
        if (!value->is_string())
            Fail(key, "must be a string");
        target = Cp1251(key, value->get<std::string>());
        if (target.size() > maxBytes)
            Fail(key, "is longer than " + std::to_string(maxBytes) + " bytes in Windows-1251");
    }

    void Number(const char* key, double& target) const
    {
        const json* value = Find(key);
        if (!value)
            return;
        if (value->is_number()) {
            target = value->get<double>();
        } else if (value->is_string() && (*value == "inf" || *value == "-inf" || *value == "nan")) {
            const double inf = std::numeric_limits<double>::infinity();
            target = *value == "inf" ? inf : *value == "-inf" ? -inf : std::numeric_limits<double>::quiet_NaN();
        } else {
            Fail(key, "must be a number");
        }
    }

    void SmallInt(const char* key, int& target) const
    {
        const json* value = Find(key);
        if (!value)
            return;
        if (!value->is_number_integer() || *value < -32768 || *value > 32767)
            Fail(key, "must be an integer from -32768 to 32767");
        target = value->get<int>();
    }

    void Flag(const char* key, bool& target) const
    {
        const json* value = Find(key);
        if (!value)
            return;
        if (!value->is_boolean())
            Fail(key, "must be true or false");
        target = value->get<bool>();
    }

    void Script(const char* key, std::string& target) const
    {
        const json* value = Find(key);
        if (!value || value->is_null())
            return;
        if (value->is_string()) {
            // One text: line breaks of any kind become CR LF.
            std::string lines;
            const std::string text = value->get<std::string>();
            for (std::size_t i = 0; i < text.size(); ++i) {
                if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                    continue;
                if (text[i] == '\r' || text[i] == '\n')
                    lines += kLineBreak;
                else
                    lines += text[i];
            }
            target = Cp1251(key, lines);
            return;
        }
        if (!value->is_array())
            Fail(key, "must be a list of lines");
        std::string joined;
        for (std::size_t i = 0; i < value->size(); ++i) {
            if (!(*value)[i].is_string())
                Fail(key, "line " + std::to_string(i + 1) + " must be a string");
            if (i > 0)
                joined += kLineBreak;
            joined += (*value)[i].get<std::string>();
        }
        target = Cp1251(key, joined);
    }

private:
    const json& m_object;
    std::size_t m_index;
};

const std::set<std::string> kKeys = {"ProblemName", "Yparameter", "Ymin",     "Ymax",
                                     "Zparameter",  "Zvalue",     "YPoints",  "XPoints",
                                     "ShowMosaicDiagram", "ShowChart", "Functs"};

} // namespace

nlohmann::ordered_json ProblemsToJson(const std::vector<TProblemRow>& problems)
{
    using ojson = nlohmann::ordered_json;
    ojson list = ojson::array();
    for (const TProblemRow& p : problems) {
        list.push_back(ojson{
            {"ProblemName", Leaf(JsonText(p.ProblemName))},
            {"Yparameter", Leaf(JsonText(p.Yparameter))},
            {"Ymin", Leaf(JsonDouble(p.Ymin))},
            {"Ymax", Leaf(JsonDouble(p.Ymax))},
            {"Zparameter", Leaf(JsonText(p.Zparameter))},
            {"Zvalue", Leaf(JsonDouble(p.Zvalue))},
            {"YPoints", p.YPoints},
            {"XPoints", p.XPoints},
            {"ShowMosaicDiagram", p.ShowMosaicDiagram},
            {"ShowChart", p.ShowChart},
            {"Functs", ScriptLines(p.Functs)},
        });
    }
    return ojson{{"problems", list}};
}

std::vector<TProblemRow> ProblemsFromJson(const json& document)
{
    if (!document.is_object() || !document.contains("problems") || !document["problems"].is_array())
        throw EProblemJsonError("the document must be an object with a list \"problems\"");
    for (const auto& item : document.items())
        if (item.key() != "problems")
            throw EProblemJsonError("unknown key \"" + item.key() + "\"");
    std::vector<TProblemRow> problems;
    const json& list = document["problems"];
    for (std::size_t i = 0; i < list.size(); ++i) {
        const json& object = list[i];
        TProblemReader reader(object, i);
        if (!object.is_object())
            reader.Fail("", "must be an object");
        for (const auto& item : object.items())
            if (!kKeys.count(item.key()))
                reader.Fail(item.key(), "is not a field of a problem");
        TProblemRow row = NewProblemRow();
        reader.Text("ProblemName", row.ProblemName, kProblemTextLength);
        reader.Text("Yparameter", row.Yparameter, kProblemTextLength);
        reader.Text("Zparameter", row.Zparameter, kProblemTextLength);
        reader.Number("Ymin", row.Ymin);
        reader.Number("Ymax", row.Ymax);
        reader.Number("Zvalue", row.Zvalue);
        reader.SmallInt("YPoints", row.YPoints);
        reader.SmallInt("XPoints", row.XPoints);
        reader.Flag("ShowMosaicDiagram", row.ShowMosaicDiagram);
        reader.Flag("ShowChart", row.ShowChart);
        reader.Script("Functs", row.Functs);
        problems.push_back(std::move(row));
    }
    return problems;
}

} // namespace solvane::cli
