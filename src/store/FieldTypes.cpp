#include "store/FieldTypes.h"

#include <array>

namespace solvane {
namespace {

struct TTypeInfo {
    const char* name;
    char fileChar;
    unsigned slot;
};

constexpr std::array<TTypeInfo, 16> kTypes = {{
    {"Unknown", 0, 0},
    {"SmallInt", 'l', 2},
    {"Integer", 'i', 4},
    {"Boolean", 'b', 2},
    {"Double", 'f', 8},
    {"Currency", 'c', 8},
    {"Date", 'd', 4},
    {"Time", 'v', 4},
    {"DateTime", 't', 8},
    {"AutoInc", 'a', 4},
    {"SmallStr", 0, 0},
    {"String", 's', 0},
    {"BLOB", 'o', 0},
    {"Memo", 'm', 0},
    {"FmtMemo", 'r', 0},
    {"Graphic", 'g', 0},
}};

const TTypeInfo& Info(TFieldType type) { return kTypes[static_cast<std::size_t>(type) % kTypes.size()]; }

} // namespace

const char* FieldTypeName(TFieldType type) { return Info(type).name; }

bool IsFixedSizeType(TFieldType type) { return type >= TFieldType::SmallInt && type <= TFieldType::AutoInc; }

bool IsLargeObjectType(TFieldType type) { return type >= TFieldType::BLOB && type <= TFieldType::Graphic; }

bool IsReferenceType(TFieldType type) { return type == TFieldType::String || IsLargeObjectType(type); }

unsigned FixedSlotSize(TFieldType type) { return IsFixedSizeType(type) ? Info(type).slot : 0; }

TFieldType FieldTypeFromChar(unsigned char c)
{
    for (std::size_t i = 0; i < kTypes.size(); ++i)
        if (kTypes[i].fileChar != 0 && static_cast<unsigned char>(kTypes[i].fileChar) == c)
            return static_cast<TFieldType>(i);
    return TFieldType::SmallStr;
}

char FieldTypeChar(TFieldType type) { return Info(type).fileChar; }

int SmallStrLengthFromChar(unsigned char c) { return c <= '9' ? c - 48 : c - 55; }

char SmallStrLengthChar(int length) { return static_cast<char>(length <= 9 ? '0' + length : 'A' + (length - 10)); }

} // namespace solvane
