// solvane-cli db: dump, copy, new, export and import of problem databases.
#include "cli/Commands.h"
#include "cli/JsonOutput.h"
#include "cli/ProblemJson.h"

#include "text/Cp1251.h"
#include "store/ProblemDatabase.h"
#include "store/ProblemTable.h"
#include "store/SafeFile.h"

#include <filesystem>
#include <iostream>
#include <memory>

namespace solvane::cli {
namespace {

using nlohmann::json;

// The failure object of every db subcommand; exit status 1. The text is UTF-8:
// file names come from the command line, and the loader's texts are converted
// by OpenErrorText.
int Failure(const std::string& utf8)
{
    PrintJson({{"ok", false}, {"error", utf8}}, std::cout);
    return 1;
}

// A failed Open as UTF-8. The reasons read from the file (an error text, field
// names) are Windows-1251; the name of a missing file is the one given, already UTF-8.
std::string OpenErrorText(const TVolgaTable& table, const EDatabaseError& e)
{
    const std::string missing = table.ComponentName() + ": Error opening file " + table.TableName();
    return e.what() == missing ? missing : Cp1251ToUtf8(e.what());
}

std::string Hex(std::string_view bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

json FieldValue(const TVolgaField& field, const TRowValues& values)
{
    const double number = FixedValue(field, values);
    const std::string_view text = TextValue(field, values);
    switch (field.FieldType) {
    case TFieldType::SmallInt:
    case TFieldType::Integer:
    case TFieldType::AutoInc:
    case TFieldType::Time:
        return static_cast<std::int64_t>(number);
    case TFieldType::Date:
        return number == 0 ? json(nullptr) : json(static_cast<std::int64_t>(number));
    case TFieldType::Boolean:
        return number != 0;
    case TFieldType::Double:
    case TFieldType::Currency:
        return JsonDouble(number);
    case TFieldType::DateTime:
        return number == 0 ? json(nullptr) : JsonDouble(number);
    case TFieldType::SmallStr:
    case TFieldType::String:
    case TFieldType::Memo:
        return text.empty() ? json(nullptr) : JsonText(std::string(text));
    case TFieldType::BLOB:
    case TFieldType::FmtMemo:
    case TFieldType::Graphic:
        return text.empty() ? json(nullptr) : json(Hex(text));
    default:
        return nullptr;
    }
}

json Dump(const TVolgaTable& table)
{
    json fields = json::array();
    for (const TVolgaField& field : table.Fields())
        fields.push_back({{"name", JsonText(field.Name)},
                          {"prefix", JsonText(field.Prefix)},
                          {"type", FieldTypeName(field.FieldType)},
                          {"declared", field.DeclaredSize}});
    json records = json::array();
    for (const TVolgaRow& row : table.Rows()) {
        json record = json::object();
        for (const TVolgaField& field : table.Fields()) {
            const json name = JsonText(field.Name);
            if (!record.contains(name.get<std::string>()))
                record[name.get<std::string>()] = FieldValue(field, row.Values);
        }
        records.push_back(std::move(record));
    }
    return {{"ok", true},
            {"fields", fields},
            {"notes", table.Notes().empty() ? json(nullptr) : JsonText(table.Notes())},
            {"records", records},
            {"visible", table.VisibleRows()}};
}

// Opens FILE as the problem table does; on failure prints the failure object.
struct TOpened {
    TMessageRecorder messages;
    std::unique_ptr<TProblemTable> problems = std::make_unique<TProblemTable>(messages);
};

bool OpenProblemTable(const std::string& file, TOpened& opened, int& exitCode)
{
    try {
        opened.problems->Table().SetTableName(file);
        opened.problems->Table().Open();
        return true;
    } catch (const EDatabaseError& e) {
        exitCode = Failure(OpenErrorText(opened.problems->Table(), e));
        return false;
    }
}

std::vector<TProblemRow> VisibleProblems(const TVolgaTable& table)
{
    std::vector<TProblemRow> problems;
    for (std::size_t index : table.VisibleRows())
        problems.push_back(ReadProblemRow(table, table.Rows()[index].Values));
    return problems;
}

bool RefuseExisting(const std::string& file, bool force, int& exitCode)
{
    std::error_code ec;
    if (force || !std::filesystem::exists(file, ec))
        return false;
    exitCode = Failure("File " + file + " already exists (use --force to replace it)");
    return true;
}

bool WriteDatabase(const std::vector<TProblemRow>& problems, const std::string& file, int& exitCode)
{
    TVolgaTable table("vtblProblem");
    BuildProblemDatabase(table, problems);
    try {
        table.SaveToFile(file);
    } catch (const EDatabaseError& e) {
        exitCode = Failure(e.what());
        return false;
    }
    return true;
}

struct TDbOptions {
    std::string file, out, json;
    bool force = false;
};

void DumpCommand(const TDbOptions& options, int& exitCode)
{
    TOpened opened;
    if (!OpenProblemTable(options.file, opened, exitCode))
        return;
    PrintJson(Dump(opened.problems->Table()), std::cout);
    exitCode = 0;
}

void CopyCommand(const TDbOptions& options, int& exitCode)
{
    TOpened opened;
    if (!OpenProblemTable(options.file, opened, exitCode))
        return;
    try {
        opened.problems->Table().SaveToFile(options.out);
        exitCode = 0;
    } catch (const EDatabaseError& e) {
        exitCode = Failure(e.what());
    }
}

void ExportCommand(const TDbOptions& options, int& exitCode)
{
    TOpened opened;
    if (!OpenProblemTable(options.file, opened, exitCode))
        return;
    std::cout << ProblemsToJson(VisibleProblems(opened.problems->Table()))
                     .dump(2, ' ', false, nlohmann::json::error_handler_t::replace)
              << '\n';
    exitCode = 0;
}

void ImportCommand(const TDbOptions& options, int& exitCode)
{
    std::string text;
    if (!ReadWholeFile(options.json, text)) {
        exitCode = Failure("Cannot read " + options.json);
        return;
    }
    std::vector<TProblemRow> problems;
    try {
        problems = ProblemsFromJson(nlohmann::json::parse(text));
    } catch (const std::exception& e) {
        exitCode = Failure(options.json + ": " + e.what());
        return;
    }
    if (!RefuseExisting(options.file, options.force, exitCode) && WriteDatabase(problems, options.file, exitCode))
        exitCode = 0;
}

} // namespace

void AddDbCommand(CLI::App& app, int& exitCode)
{
    auto* db = app.add_subcommand("db", "Problem databases: dump, copy, new, export, import");
    db->require_subcommand(1);
    auto options = std::make_shared<TDbOptions>();

    auto* dump = db->add_subcommand("dump", "The database as the problem table sees it right after Open");
    dump->add_option("FILE", options->file, "Problem database")->required();
    dump->callback([options, &exitCode] { DumpCommand(*options, exitCode); });

    auto* copy = db->add_subcommand("copy", "Open FILE as the problem table, then save it to OUT");
    copy->add_option("FILE", options->file, "Problem database")->required();
    copy->add_option("OUT", options->out, "File to write")->required();
    copy->callback([options, &exitCode] { CopyCommand(*options, exitCode); });

    // Like copy's OUT, the file is written whether or not it exists.
    auto* create = db->add_subcommand("new", "Write an empty problem database (186 bytes)");
    create->add_option("FILE", options->file, "File to write")->required();
    create->callback([options, &exitCode] {
        if (WriteDatabase({}, options->file, exitCode))
            exitCode = 0;
    });

    auto* exportCmd = db->add_subcommand("export", "The problems as JSON, in list order");
    exportCmd->add_option("FILE", options->file, "Problem database")->required();
    exportCmd->callback([options, &exitCode] { ExportCommand(*options, exitCode); });

    auto* importCmd = db->add_subcommand("import", "Build a problem database from JSON");
    importCmd->add_option("JSON", options->json, "Problems as JSON")->required();
    importCmd->add_option("FILE", options->file, "Problem database to write")->required();
    importCmd->add_flag("--force", options->force, "Replace an existing file");
    importCmd->callback([options, &exitCode] { ImportCommand(*options, exitCode); });
}

} // namespace solvane::cli
