#pragma once
// Colours as the run and the settings file keep them: a 32-bit value
// 0x00BBGGRR, red in the low byte (12639424 = 0xC0DCC0 is a pale green).
#include <QColor>

#include <cstdint>

namespace solvane {

inline QColor ColorFromRef(std::uint32_t ref)
{
    return QColor(static_cast<int>(ref & 0xFF), static_cast<int>((ref >> 8) & 0xFF),
                  static_cast<int>((ref >> 16) & 0xFF));
}

inline std::uint32_t RefFromColor(const QColor& color)
{
    return static_cast<std::uint32_t>(color.red()) | static_cast<std::uint32_t>(color.green()) << 8 |
           static_cast<std::uint32_t>(color.blue()) << 16;
}

} // namespace solvane
