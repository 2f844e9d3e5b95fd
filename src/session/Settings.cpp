#include "session/Settings.h"

#include "store/SafeFile.h"
#include "expr/AsciiText.h"

#include <charconv>
#include <filesystem>
#include <stdexcept>
#include <vector>

namespace solvane {
namespace {

constexpr std::string_view kSection = "SETTINGS";

std::vector<std::string_view> Lines(std::string_view bytes)
{
    std::vector<std::string_view> lines;
    while (!bytes.empty()) {
        const std::size_t end = bytes.find_first_of("\r\n");
        lines.push_back(bytes.substr(0, end));
        if (end == std::string_view::npos)
            break;
        const std::size_t next = bytes.compare(end, 2, "\r\n") == 0 ? end + 2 : end + 1;
        bytes.remove_prefix(next);
    }
    return lines;
}

// The name of a section header line "[NAME]", or nothing.
std::optional<std::string_view> SectionName(std::string_view line)
{
    line = TrimmedView(line);
    if (line.size() < 2 || line.front() != '[' || line.back() != ']')
        return std::nullopt;
    return TrimmedView(line.substr(1, line.size() - 2));
}

bool IsSettingsSection(std::string_view line)
{
    const auto name = SectionName(line);
    return name && AsciiUpper(*name) == kSection;
}

std::optional<int> ReadInteger(std::string_view text)
{
    text = TrimmedView(text);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::string Joined(const std::string& folder, const char* name)
{
    return (std::filesystem::path(folder.empty() ? "." : folder) / name).string();
}

} // namespace

TSettings ParseSettings(std::string_view bytes)
{
    TSettings settings;
    bool inSection = false;
    std::optional<std::string> name;
    std::optional<int> top, height, width, left, color;
    for (std::string_view line : Lines(bytes)) {
        if (SectionName(line)) {
            inSection = IsSettingsSection(line);
            settings.HasSection = settings.HasSection || inSection;
            continue;
        }
        const std::size_t equals = line.find('=');
        if (!inSection || equals == std::string_view::npos)
            continue;
        const std::string key = AsciiUpper(TrimmedView(line.substr(0, equals)));
        const std::string_view value = TrimmedView(line.substr(equals + 1));
        // The first entry of a key counts, as a lookup by name finds it.
        if (key == "TOP" && !top)
            top = ReadInteger(value).value_or(0);
        else if (key == "HEIGHT" && !height)
            height = ReadInteger(value).value_or(532);
        else if (key == "WIDTH" && !width)
            width = ReadInteger(value).value_or(660);
        else if (key == "LEFT" && !left)
            left = ReadInteger(value).value_or(0);
        else if (key == "WORKINGFILENAME" && !name)
            name = std::string(value);
        else if (key == "MDCOLOR" && !color)
            color = ReadInteger(value).value_or(static_cast<int>(kMoneyGreen));
    }
    if (settings.HasSection) {
        settings.Top = top.value_or(0);
        settings.Height = height.value_or(532);
        settings.Width = width.value_or(660);
        settings.Left = left.value_or(0);
        settings.WorkingFileName = name.value_or(kDefaultDatabaseName);
        settings.MDcolor = static_cast<std::uint32_t>(color.value_or(static_cast<int>(kMoneyGreen)));
    }
    if (settings.WorkingFileName.empty())
        settings.WorkingFileName = kDefaultDatabaseName;
    if (settings.MDcolor == 0)
        settings.MDcolor = kMoneyGreen;
    return settings;
}

std::string WriteSettings(std::string_view existing, const TSettings& settings)
{
    std::string out;
    bool inSection = false;
    for (std::string_view line : Lines(existing)) {
        if (SectionName(line))
            inSection = IsSettingsSection(line);
        if (inSection)
            continue;
        out.append(line);
        out.append("\r\n");
    }
    auto entry = [&out](const char* key, const std::string& value) {
        out.append(key).append("=").append(value).append("\r\n");
    };
    out.append("[SETTINGS]\r\n");
    entry("Top", std::to_string(settings.Top));
    entry("Height", std::to_string(settings.Height));
    entry("Left", std::to_string(settings.Left));
    entry("Width", std::to_string(settings.Width));
    entry("WorkingFileName", settings.WorkingFileName);
    entry("MDcolor", std::to_string(static_cast<std::int32_t>(settings.MDcolor)));
    out.append("\r\n");
    return out;
}

TSettings LoadSettings(const std::string& path)
{
    std::string bytes;
    if (!ReadWholeFile(path, bytes))
        return TSettings{};
    return ParseSettings(bytes);
}

void SaveSettings(const std::string& path, const TSettings& settings)
{
    std::string existing;
    if (!ReadWholeFile(path, existing))
        existing.clear();
    ReplaceFile(path, WriteSettings(existing, settings));
}

std::optional<std::string> SaveSettingsBesideProgram(const std::string& programDir, const std::string& currentDir,
                                                     const TSettings& settings)
{
    try {
        SaveSettings(Joined(programDir, kSettingsFileName), settings);
        return std::nullopt;
    } catch (const std::exception& first) {
        try {
            SaveSettings(Joined(currentDir, kSettingsFileName), settings);
            return std::nullopt;
        } catch (const std::exception&) {
            return std::string(first.what());
        }
    }
}

} // namespace solvane
