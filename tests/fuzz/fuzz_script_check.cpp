// libFuzzer: any bytes checked as a script, and interpreted as a run would.
// The check must agree with the interpreter: when the interpretation stops on
// an error or a point-phase warning, the check has an error finding, and a
// compiler or evaluator error is located at a line of the script.
#include "calc/Run.h"
#include "script/ScriptCheck.h"
#include "script/ScriptText.h"

#include <cstdint>
#include <cstdlib>
#include <exception>
#include <string>

using namespace solvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string script(reinterpret_cast<const char*>(data), size);
    const TCheckRunValues values{"Temperature", 300, 400, 1, 10, 10};
    const std::vector<TScriptFinding> findings = CheckScript(script, values);
    const int lines = static_cast<int>(SplitLines(script).size());
    for (const TScriptFinding& f : findings)
        if (f.Line < 0 || f.Line > lines || f.Text.empty())
            std::abort();

    TRun run;
    TMessageRecorder messages;
    run.SetMessageSink(&messages);
    run.Input.Problem.Functs = script;
    try {
        if (!run.InterpretScript() && !HasError(findings))
            std::abort(); // a point-phase warning the check did not see
    } catch (const std::exception& error) {
        if (!HasError(findings))
            std::abort(); // a refused expression the check did not see
        const auto located = LocateRunFailure(script, run.Results(), error.what());
        if (!located || located->Line < 1 || located->Line > lines)
            std::abort();
    }
    return 0;
}
