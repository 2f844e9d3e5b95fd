#pragma once
// The settings file Solvane.cfg: the main window's outer frame, the working
// database and the mosaic colour, kept in the section "SETTINGS" of an
// initialisation file (lines "key=value", CR LF, key names without case).
#include "calc/RunState.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace solvane {

inline constexpr const char* kSettingsFileName = "Solvane.cfg";
inline constexpr const char* kDefaultDatabaseName = "Problems.d";

struct TSettings {
    // The window's designed bounds, kept when the file has no section.
    int Top = 25;
    int Left = 57;
    int Width = 877;
    int Height = 678;
    std::string WorkingFileName = kDefaultDatabaseName;
    std::uint32_t MDcolor = kMoneyGreen; // 0x00BBGGRR
    bool HasSection = false; // the file had "SETTINGS": the bounds were read from it
};

// The settings in a file's bytes. Without the section every value keeps its
// default; with it a missing or unreadable key gives Top 0, Height 532,
// Width 660, Left 0. An empty WorkingFileName and an MDcolor of 0 are replaced
// by their defaults in either case.
TSettings ParseSettings(std::string_view bytes);

// The file's new bytes: everything outside the section "SETTINGS" kept as it
// was, then the section with the keys Top, Height, Left, Width,
// WorkingFileName, MDcolor and an empty line.
std::string WriteSettings(std::string_view existing, const TSettings& settings);

// The settings file at path; a missing or unreadable file gives the defaults.
TSettings LoadSettings(const std::string& path);

// Writes the settings into the file at path (through a temporary file and a
// rename, keeping its other sections). Throws std::runtime_error with the
// system's reason.
void SaveSettings(const std::string& path, const TSettings& settings);

// Writes Solvane.cfg beside the executable, or, when that folder cannot be
// written (an installed program), in the current directory it was read from.
// Returns the error of the first folder when neither can be written.
std::optional<std::string> SaveSettingsBesideProgram(const std::string& programDir, const std::string& currentDir,
                                                     const TSettings& settings);

} // namespace solvane
