#include "script/ScriptStatements.h"

#include "script/ScriptText.h"
#include "expr/Parser10.h"
#include "expr/StrParser.h"
#include "expr/AsciiText.h"

#include <algorithm>
#include <exception>

namespace solvane {
namespace {

// Deleting "up to the end of the line" removes at most this many characters.
constexpr std::size_t kLineTailLimit = 1000;

void CutFrom(std::string& line, std::string_view marker)
{
    if (const auto pos = line.find(marker); pos != std::string::npos)
        line.erase(pos, kLineTailLimit);
}

bool StartsWith(const std::string& text, std::string_view prefix) { return text.rfind(prefix, 0) == 0; }
bool Contains(const std::string& text, std::string_view part) { return text.find(part) != std::string::npos; }

TStatementKind Classify(const std::string& upper)
{
    if (StartsWith(upper, "GL") || StartsWith(upper, "GV") || StartsWith(upper, "GS"))
        return TStatementKind::SolutionPhase;
    if (StartsWith(upper, "SID"))
        return TStatementKind::Sid;
    if (StartsWith(upper, "GC") || StartsWith(upper, "X="))
        return TStatementKind::PointPhase;
    return TStatementKind::Parameter;
}

// The parts of a point-phase line: the composition of the leftmost "X=" part,
// and the line left for the split at "=".
void ReadPointParts(const std::string& upper, TScriptStatement& statement, std::string& line)
{
    TStrParser splitter;
    splitter.DividingString = ";";
    splitter.CaseSensitive = false;
    splitter.Split(upper);
    std::vector<std::string>& parts = splitter.Parts;
    for (std::size_t k = parts.size(); k-- > 0;) {
        if (!StartsWith(parts[k], "X="))
            continue;
        statement.CompositionText = TrimBlanks(parts[k].substr(2, 100));
        try {
            statement.Composition = ReadComposition(parts[k]);
        } catch (const std::exception& error) {
            // The run stops at the first part that raises.
            statement.PointProblem = TPointProblem::CompositionFault;
            statement.CompositionError = error.what();
            statement.CompositionException = std::current_exception();
            return;
        }
        parts.erase(parts.begin() + static_cast<std::ptrdiff_t>(k));
    }
    if (!parts.empty())
        statement.Name = AsciiUpper(parts.front().substr(0, parts.front().find('=')));
    if (!(statement.Composition >= 0))
        statement.PointProblem = TPointProblem::Composition;
    else if (parts.empty())
        statement.PointProblem = TPointProblem::NoExpression;
    else
        line = parts.front();
}

// Captions (as written) and the number directives (blanks stripped); false
// for a definition, with `line` left without its blanks.
bool ReadDirective(std::string& line, TScriptStatement& statement)
{
    auto take = [&](TStatementKind kind, std::string value) {
        statement.Kind = kind;
        statement.Expression = std::move(value);
        return true;
    };
    std::string upper = AsciiUpper(line);
    if (Contains(upper, "#XCAP="))
        return take(TStatementKind::XCaption, line.substr(std::min<std::size_t>(6, line.size())));
    if (Contains(upper, "#YCAP="))
        return take(TStatementKind::YCaption, line.substr(std::min<std::size_t>(6, line.size())));
    line = StripBlanks(line);
    upper = AsciiUpper(line);
    auto valueAfter = [&](std::size_t skip) { return TrimBlanks(line.substr(std::min(skip, line.size()))); };
    if (Contains(upper, "#XMIN="))
        return take(TStatementKind::Xmin, valueAfter(6));
    if (Contains(upper, "#XMAX="))
        return take(TStatementKind::Xmax, valueAfter(6));
    if (StartsWith(upper, "P="))
        return take(TStatementKind::Pressure, valueAfter(2));
    if (StartsWith(upper, "T="))
        return take(TStatementKind::Temperature, valueAfter(2));
    return false;
}

// A line ending in "..." goes on in the next memo line; false when a
// continuation leaves nothing (the statement is dropped).
bool JoinContinuedLines(const std::vector<std::string>& lines, std::size_t& i, std::string& line)
{
    while (Contains(line, "...")) {
        CutFrom(line, "...");
        if (i + 1 >= lines.size())
            break;
        ++i;
        line += StripBlanks(lines[i]);
        CutFrom(line, "%");
        if (line.empty())
            return false;
    }
    return true;
}

// A phase, point phase, SID or parameter line: its kind, name and expression.
void ReadDefinition(std::string line, TScriptStatement& statement)
{
    const std::string upper = AsciiUpper(line);
    statement.Kind = Classify(upper);
    if (statement.Kind == TStatementKind::PointPhase) {
        ReadPointParts(upper, statement, line);
        if (statement.PointProblem != TPointProblem::None)
            return;
    }
    const auto equals = line.find('=');
    statement.HasEquals = equals != std::string::npos;
    if (statement.HasEquals) {
        statement.Name = AsciiUpper(line.substr(0, equals));
        statement.Expression = line.substr(equals + 1);
    } else {
        statement.Name = AsciiUpper(line);
    }
}

} // namespace

double ReadComposition(const std::string& part)
{
    const std::string upper = AsciiUpper(part);
    const auto pos = upper.find("X=");
    if (pos == std::string::npos)
        return -1;
    TParser reader;
    reader.SetExpression(TrimBlanks(upper.substr(pos + 2, 100)));
    const double value = static_cast<double>(reader.Value());
    return value > 1 ? -1 : value;
}

std::vector<TScriptStatement> ReadScriptStatements(const std::string& script)
{
    std::vector<TScriptStatement> statements;
    const std::vector<std::string> lines = SplitLines(script);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        TScriptStatement statement;
        statement.Line = static_cast<int>(i) + 1;
        std::string line = TrimBlanks(lines[i]);
        CutFrom(line, "%");
        if (line.empty())
            continue;
        if (!ReadDirective(line, statement)) {
            if (!JoinContinuedLines(lines, i, line))
                continue;
            ReadDefinition(line, statement);
        }
        statements.push_back(std::move(statement));
    }
    return statements;
}

bool IsBuiltInVariable(const std::string& upperName)
{
    return upperName.size() == 1 && std::string_view("ABCDETXY").find(upperName[0]) != std::string_view::npos;
}

bool IsValidVariableName(const std::string& name)
{
    if (name.empty())
        return false;
    try {
        TParser probe;
        probe.SetVariable(name, 0);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

std::vector<std::string> NamesKnownAtCompile(const TScriptStatement& statement,
                                             const std::vector<std::string>& parametersAbove)
{
    std::vector<std::string> known{"R", "P"};
    if (statement.Kind != TStatementKind::Sid)
        known.emplace_back("SID");
    if (statement.Kind == TStatementKind::SolutionPhase)
        for (const std::string& name : parametersAbove)
            if (IsValidVariableName(name))
                known.push_back(AsciiUpper(name));
    return known;
}

std::vector<std::string> BuiltInsNeverSet(const TScriptStatement& statement,
                                          const std::vector<std::string>& parameters)
{
    // Phases get T, p, y, X, Sid and every parameter; a parameter X, T, p and
    // Sid; the ideal-mixing term only X.
    std::vector<std::string> never{"A", "B", "C", "D", "E"};
    switch (statement.Kind) {
    case TStatementKind::SolutionPhase:
    case TStatementKind::PointPhase:
        std::erase_if(never, [&](const std::string& letter) {
            return std::find(parameters.begin(), parameters.end(), letter) != parameters.end();
        });
        break;
    case TStatementKind::Parameter: never.emplace_back("Y"); break;
    case TStatementKind::Sid:
        never.emplace_back("T");
        never.emplace_back("Y");
        break;
    default: break;
    }
    return never;
}

std::unique_ptr<TParser> MakeEvaluator(const std::vector<std::string>& known)
{
    auto parser = std::make_unique<TParser>();
    for (const std::string& name : known)
        parser->SetVariable(name, 0);
    return parser;
}

} // namespace solvane
