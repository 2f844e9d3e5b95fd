// solvane-cli run: problems computed as the Run button computes them, JSON out.
#include "cli/Commands.h"

#include "text/Cp1251.h"
#include "cli/DiagramFiles.h"
#include "cli/JsonOutput.h"
#include "cli/RefineJson.h"
#include "store/ProblemDatabase.h"
#include "store/SafeFile.h"
#include "cli/RunProblem.h"
#include "cli/ScriptOptions.h"
#include "script/YQuantity.h"

#include <algorithm>
#include <iostream>
#include <memory>
#include <optional>

namespace solvane::cli {
namespace {

struct RunOptions {
    std::string file;
    std::string problem;
    std::string json;
    std::string script;
    std::string y;
    double ymin = 0;
    double ymax = 0;
    double z = 1;
    int ypoints = 100;
    int xpoints = 100;
    bool refine = false;
    TDiagramOutputs outputs;
};

// The diagram files of the one problem computed; none when it did not complete.
bool WriteOutputs(const TComputedProblem& problem, const TDiagramOutputs& outputs, bool withRefinement)
{
    if (!outputs.Any())
        return true;
    if (!problem.Completed) {
        std::cerr << "solvane-cli run: no diagram files: the run did not complete\n";
        return true;
    }
    return WriteDiagramFiles(problem.Diagram, withRefinement, outputs);
}

// A failed run whose JSON went to a file is also reported on standard error:
// the error that ended it, else the messages that refused it.
void ReportFailure(const nlohmann::json& result)
{
    std::string why;
    if (result["error"].is_string()) {
        why = result["error"].get<std::string>();
    } else {
        for (const auto& m : result["messages"])
            if (m["type"] == "warning" || m["type"] == "error")
                why += (why.empty() ? "" : "; ") + m["text"].get<std::string>();
    }
    if (why.empty())
        why = "the run did not complete";
    // The parts of a syntax-error message stand on one line: "Error parsing expression: X | -Y".
    for (std::size_t at = why.find('\r'); at != std::string::npos; at = why.find('\r', at))
        why.replace(at, 1, at > 0 && why[at - 1] == ':' ? " " : " | ");
    std::cerr << "solvane-cli run: " << result["name"].get<std::string>() << ": " << why << '\n';
}

// The ending both kinds of run share: the JSON written (and with `reportFailure`
// a failed run's reason on standard error when the JSON went to a file), then
// the files of the one problem computed, none when there were several. The exit code.
int Finish(const nlohmann::json& document, const std::optional<TComputedProblem>& only, bool completed,
           const RunOptions& options, bool reportFailure)
{
    if (!WriteJson(document, options.json))
        return 1;
    if (reportFailure && !completed && !options.json.empty() && options.json != "-")
        ReportFailure(document["problems"][0]);
    if (only && !WriteOutputs(*only, options.outputs, options.refine))
        return 1;
    return completed ? 0 : 1;
}

int RunScript(const RunOptions& options)
{
    TProblemRow problem;
    if (!ReadScriptFile(options.script, problem.Functs))
        return 1;
    problem.ProblemName = "script";
    problem.Yparameter = options.y;
    problem.Ymin = options.ymin;
    problem.Ymax = options.ymax;
    problem.Zvalue = options.z;
    problem.YPoints = options.ypoints;
    problem.XPoints = options.xpoints;
    std::optional<TComputedProblem> computed = ComputeProblem(problem, options.refine);
    nlohmann::json document;
    document["problems"] = nlohmann::json::array({computed->Json});
    return Finish(document, computed, computed->Completed, options, /*reportFailure=*/true);
}

// A text of the opening as UTF-8: the name of a missing file is the one given on
// the command line, everything else comes from the file as Windows-1251.
std::string OpenText(const std::string& text, const std::string& file)
{
    return text == "vtblProblem: Error opening file " + file ? text : Cp1251ToUtf8(text);
}

// The database is opened as at start (in memory only; the file is never written)
// and its problems computed in list order.
int RunDatabase(const RunOptions& options)
{
    const TProblemSet set = LoadProblemsForRun(options.file);
    nlohmann::json document;
    document["problems"] = nlohmann::json::array();
    if (!set.Messages.empty()) {
        nlohmann::json opened = nlohmann::json::array();
        for (const auto& m : set.Messages)
            opened.push_back({{"type", MessageKindName(m.Kind)}, {"text", OpenText(m.Text, options.file)}});
        document["open_messages"] = std::move(opened);
    }
    if (!set.Opened) {
        document["error"] = OpenText(set.Error, options.file);
        WriteJson(document, options.json);
        return 1;
    }
    const std::string wanted = Utf8ToCp1251(options.problem);
    auto chosen = [&](const auto& row) { return options.problem.empty() || row.ProblemName == wanted; };
    const auto count = std::count_if(set.Problems.begin(), set.Problems.end(), chosen);
    if (options.outputs.Any() && count > 1)
        throw CLI::ValidationError("the diagram options (--svg, --png, --pdf, --wmf, --csv) need one problem, not " +
                                   std::to_string(count) + "; choose it with --problem");
    bool allCompleted = true;
    std::optional<TComputedProblem> last;
    for (const auto& row : set.Problems) {
        if (!chosen(row))
            continue;
        last = ComputeProblem(row, options.refine);
        allCompleted = allCompleted && last->Completed;
        document["problems"].push_back(last->Json);
    }
    if (!options.problem.empty() && document["problems"].empty()) {
        document["error"] = "Problem not found: " + options.problem;
        allCompleted = false;
    }
    if (document["problems"].size() != 1)
        last.reset();
    return Finish(document, last, allCompleted, options, /*reportFailure=*/false);
}

} // namespace

void AddRunCommand(CLI::App& app, int& exitCode)
{
    auto options = std::make_shared<RunOptions>();
    auto* cmd = app.add_subcommand("run", "Compute problems as the Run button does and print the results as JSON");
    auto* file = cmd->add_option("FILE", options->file, "problem database (.d)");
    cmd->add_option("--problem", options->problem, "compute only the problem of this name")->needs(file);
    cmd->add_option("--json", options->json, "write the JSON to this file ('-': standard output)");
    auto* script = cmd->add_option("--script", options->script, "a UTF-8 script file instead of a database")
                       ->excludes(file);
    auto* y = cmd->add_option("--y", options->y, "the vertical quantity")->check(YQuantity())->needs(script);
    auto* ymin =
        cmd->add_option("--ymin", options->ymin, "lower end of the sweep")->check(FiniteNumber())->needs(script);
    auto* ymax =
        cmd->add_option("--ymax", options->ymax, "upper end of the sweep")->check(FiniteNumber())->needs(script);
    auto* z = cmd->add_option("--z", options->z, "the fixed quantity (default 1; required with --y Pressure)")
                  ->needs(script);
    cmd->add_option("--ypoints", options->ypoints, "number of Y steps (default 100)")->needs(script);
    cmd->add_option("--xpoints", options->xpoints, "number of X points (default 100)")->needs(script);
    script->needs(y)->needs(ymin)->needs(ymax);
    cmd->add_flag("--refine", options->refine, "add the refined boundaries, nodes, points and branches");
    cmd->add_option("--svg", options->outputs.Svg, "draw the diagram of the one problem as SVG into this file");
    cmd->add_option("--png", options->outputs.Png, "draw the diagram of the one problem as PNG into this file");
    cmd->add_option("--pdf", options->outputs.Pdf, "draw the diagram of the one problem as PDF into this file");
    cmd->add_option("--wmf", options->outputs.Wmf, "draw the diagram of the one problem as a Windows metafile");
    cmd->add_option("--csv", options->outputs.Csv, "write the points of the one problem as CSV into this file");

    cmd->callback([options, &exitCode, file, script, z] {
        if (script->count() > 0) {
            // With the pressure swept, no default temperature makes sense.
            if (YQuantityOf(options->y) == TYQuantity::Pressure && z->count() == 0)
                throw CLI::ValidationError("--z", "--y Pressure needs the temperature as --z");
            exitCode = RunScript(*options);
            return;
        }
        if (file->count() == 0)
            throw CLI::RequiredError("FILE or --script");
        exitCode = RunDatabase(*options);
    });
}

} // namespace solvane::cli
