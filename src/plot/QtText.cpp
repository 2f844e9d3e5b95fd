#include "plot/QtText.h"

#include "text/Cp1251.h"

#include <QList>

namespace solvane {
namespace {

// Index of the first code point without a Windows-1251 byte, or -1.
qsizetype FirstUnfit(const QString& text)
{
    if (FromCp1251(ToCp1251(text)) == text)
        return -1;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype length = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString one = text.mid(i, length);
        if (FromCp1251(ToCp1251(one)) != one)
            return i;
        i += length;
    }
    return -1; // not reached: a text that does not round-trip has an unfit character
}

} // namespace

QString FromCp1251(const std::string& bytes) { return QString::fromStdString(Cp1251ToUtf8(bytes)); }

std::string ToCp1251(const QString& text) { return Utf8ToCp1251(text.toStdString()); }

bool FitsCp1251(const QString& text, QChar* firstBad)
{
    const qsizetype bad = FirstUnfit(text);
    if (bad < 0)
        return true;
    if (firstBad)
        *firstBad = text.at(bad);
    return false;
}

QString Cp1251Refusal(const QString& text)
{
    const qsizetype bad = FirstUnfit(text);
    if (bad < 0)
        return {};
    const QString character = text.mid(bad, text.at(bad).isHighSurrogate() ? 2 : 1);
    const char32_t code = character.toUcs4().value(0);
    const QString hex = QString::number(static_cast<uint>(code), 16).toUpper().rightJustified(4, QLatin1Char('0'));
    return QStringLiteral("The character \"%1\" (U+%2) cannot be stored: texts are kept in the Windows-1251 code page.")
        .arg(character, hex);
}

} // namespace solvane
