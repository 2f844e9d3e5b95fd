// libFuzzer: any bytes opened as the problem table and as a plain table. A
// load either fails with a table error or gives content that saves and
// reloads; the cleanup after opening runs on it.
#include "store/ProblemTable.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace solvane;

namespace {

std::string Reload(const std::string& saved)
{
    TVolgaTable again("vtblProblem");
    again.OpenFromBuffer(saved); // what was written must load
    return again.SaveToBuffer();
}

// A notes block shorter than the record header is not read back when no
// record follows it, so the first reload may drop it; the second is exact.
void CheckRoundTrip(const TVolgaTable& table)
{
    const std::string second = Reload(table.SaveToBuffer());
    if (Reload(second) != second)
        std::abort();
}

bool IsTableError(const EDatabaseError& e) { return std::string_view(e.what()).substr(0, 13) == "vtblProblem: "; }

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    TMessageRecorder messages;
    TProblemTable problems(messages);
    try {
        problems.Table().OpenFromBuffer(bytes);
        CheckRoundTrip(problems.Table());
        problems.Cleanup();
        CheckRoundTrip(problems.Table());
    } catch (const EDatabaseError& e) {
        if (!IsTableError(e))
            std::abort();
    }
    TVolgaTable plain("vtblProblem");
    try {
        plain.OpenFromBuffer(bytes);
        CheckRoundTrip(plain);
    } catch (const EDatabaseError& e) {
        if (!IsTableError(e))
            std::abort();
    }
    return 0;
}
