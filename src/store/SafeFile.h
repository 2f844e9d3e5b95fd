#pragma once
// Whole-file reading, and replacing a file so that a failure leaves the old one intact.
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>

namespace solvane {

// Reads the whole file into bytes; false when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::string& bytes);

// Opens the stream a file's new content is written to (a test may hand out a failing one).
using TOutputOpener = std::function<std::unique_ptr<std::ostream>(const std::string& path)>;

// Writes bytes to a temporary file in the target's folder and renames it over
// the target. On any failure the temporary file is removed, the target is left
// as it was, and std::runtime_error carries the system's reason.
void ReplaceFile(const std::string& path, std::string_view bytes, const TOutputOpener& open = {});

} // namespace solvane
