#include "text/Messages.h"

namespace solvane {

const char* MessageKindName(TMessageKind kind)
{
    switch (kind) {
    case TMessageKind::Warning:
        return "warning";
    case TMessageKind::Error:
        return "error";
    case TMessageKind::Information:
        return "information";
    case TMessageKind::Confirmation:
        return "confirmation";
    }
    return "information";
}

} // namespace solvane
