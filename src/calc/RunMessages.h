#pragma once
// The core never opens a dialog: every message of a run goes to a sink, with
// its kind and its fixed text (Windows-1251 bytes).
#include <string>

namespace solvane {

enum class TMessageKind { Warning, Error, Information, Confirmation };

// "warning", "error", "information", "confirmation".
const char* MessageKindName(TMessageKind kind);

class TMessageSink {
public:
    virtual ~TMessageSink() = default;
    // Shows the message; for a confirmation returns true when the answer is Yes.
    virtual bool Show(TMessageKind kind, const std::string& text) = 0;
};

} // namespace solvane
