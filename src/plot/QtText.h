#pragma once
// The one place where texts cross between the core's Windows-1251 bytes and
// Qt's Unicode strings. Every window converts through these functions.
//
// Windows-1251 holds Latin, Cyrillic and a few typographic signs. A character
// outside it cannot be stored: a window checks typed text with FitsCp1251 (or
// Cp1251Refusal for the message) and refuses it, so that ToCp1251 never has to
// change a character silently.
#include <QChar>
#include <QString>

#include <string>

namespace solvane {

// Windows-1251 bytes to Unicode. The one unassigned byte (0x98) becomes U+FFFD.
QString FromCp1251(const std::string& bytes);

// Unicode to Windows-1251 bytes. A character Windows-1251 lacks becomes '?':
// check the text with FitsCp1251 first.
std::string ToCp1251(const QString& text);

// True when every character of the text has a Windows-1251 byte. Otherwise
// *firstBad (when given) receives the first character that has none; for a
// character beyond the Basic Multilingual Plane that is its high surrogate,
// so a message should be built with Cp1251Refusal instead.
bool FitsCp1251(const QString& text, QChar* firstBad = nullptr);

// Empty when the text fits Windows-1251; otherwise the message that refuses
// it, naming the first character that does not fit and its code.
QString Cp1251Refusal(const QString& text);

} // namespace solvane
