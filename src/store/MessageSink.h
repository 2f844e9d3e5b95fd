#pragma once
// Where the store's message boxes go: the GUI shows them, the command-line
// tool and the tests record them.
#include <string>
#include <vector>

namespace solvane {

enum class TMessageType { Warning, Error, Information, Confirmation };

class IMessageSink {
public:
    virtual ~IMessageSink() = default;
    virtual void Message(TMessageType type, const std::string& text) = 0;
};

struct TRecordedMessage {
    TMessageType Type;
    std::string Text;
};

// Keeps every message in order.
class TMessageRecorder : public IMessageSink {
public:
    void Message(TMessageType type, const std::string& text) override { Messages.push_back({type, text}); }
    std::vector<TRecordedMessage> Messages;
};

} // namespace solvane
