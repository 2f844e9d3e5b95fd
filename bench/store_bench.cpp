// Loading and saving a problem database of 10,000 problems with 2 KB scripts,
// from and to a file and in memory.
#include "store/ProblemTable.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>

using namespace solvane;

namespace {

constexpr int kProblems = 10000;

std::string Script()
{
    std::string script;
    for (int line = 0; script.size() < 2048; ++line)
    {
        script += 'G';
        script += std::to_string(line);
        script += "=-1000+X*100+R*T*(X*LN(X)+(1-X)*LN(1-X))\r\n";
    }
    return script.substr(0, 2048);
}

const std::string& DatabaseBytes()
{
    static const std::string bytes = [] {
        std::vector<TProblemRow> problems;
        const std::string script = Script();
        for (int i = 0; i < kProblems; ++i) {
            TProblemRow row = NewProblemRow();
            row.ProblemName = "Problem " + std::to_string((i * 7919) % kProblems);
            row.Yparameter = "Temperature";
// GCC 12 sees an overlap in assigning a literal to a std::string where there is none (GCC bug 105651).
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wrestrict"
            row.Zparameter = "P";
#pragma GCC diagnostic pop
            row.Ymin = 300;
            row.Ymax = 1000 + i;
            row.Zvalue = 1;
            row.Functs = script;
            problems.push_back(row);
        }
        TVolgaTable table;
        BuildProblemDatabase(table, problems);
        return table.SaveToBuffer();
    }();
    return bytes;
}

std::string FilePath()
{
    static const std::string path = [] {
        const std::string p = (std::filesystem::temp_directory_path() / "solvane_store_bench.d").string();
        std::ofstream(p, std::ios::binary) << DatabaseBytes();
        return p;
    }();
    return path;
}

void LoadFile(benchmark::State& state)
{
    const std::string path = FilePath();
    TMessageRecorder messages;
    for (auto _ : state) {
        TProblemTable problems(messages);
        problems.Table().SetTableName(path);
        problems.Table().Open();
        benchmark::DoNotOptimize(problems.Table().RecordCount());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(DatabaseBytes().size()));
}

void SaveFile(benchmark::State& state)
{
    const std::string path = FilePath();
    TVolgaTable table;
    table.OpenFromBuffer(DatabaseBytes());
    for (auto _ : state)
        table.SaveToFile(path);
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(DatabaseBytes().size()));
}

void LoadMemory(benchmark::State& state)
{
    TMessageRecorder messages;
    for (auto _ : state) {
        TProblemTable problems(messages);
        problems.Table().OpenFromBuffer(DatabaseBytes());
        benchmark::DoNotOptimize(problems.Table().RecordCount());
    }
}

void SaveMemory(benchmark::State& state)
{
    TVolgaTable table;
    table.OpenFromBuffer(DatabaseBytes());
    for (auto _ : state)
        benchmark::DoNotOptimize(table.SaveToBuffer());
}

} // namespace

BENCHMARK(LoadFile)->Unit(benchmark::kMillisecond);
BENCHMARK(SaveFile)->Unit(benchmark::kMillisecond);
BENCHMARK(LoadMemory)->Unit(benchmark::kMillisecond);
BENCHMARK(SaveMemory)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
