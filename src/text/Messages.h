#pragma once
// The one message seam of the core: it never opens a dialog. Warnings, errors,
// information and confirmations go to a sink with their kind and fixed text
// (Windows-1251 bytes); the GUI shows them in message boxes, the command-line
// tool and the tests record them.
#include <string>
#include <vector>

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

struct TRecordedMessage {
    TMessageKind Kind;
    std::string Text;
};

// Keeps every message in order; answers every confirmation with ConfirmAnswer.
class TMessageRecorder : public TMessageSink {
public:
    std::vector<TRecordedMessage> Messages;
    bool ConfirmAnswer = false;
    bool Show(TMessageKind kind, const std::string& text) override
    {
        Messages.push_back({kind, text});
        return kind == TMessageKind::Confirmation && ConfirmAnswer;
    }
};

} // namespace solvane
