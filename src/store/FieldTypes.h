#pragma once
// The sixteen field types of the table file and what each occupies.
#include <cstdint>

namespace solvane {

enum class TFieldType : std::uint8_t {
    Unknown = 0,
    SmallInt,
    Integer,
    Boolean,
    Double,
    Currency,
    Date,
    Time,
    DateTime,
    AutoInc,
    SmallStr,
    String,
    BLOB,
    Memo,
    FmtMemo,
    Graphic,
};

// The type's name as shown in messages and listings ("SmallStr", "Double", ...).
const char* FieldTypeName(TFieldType type);

// SmallInt to AutoInc: a number held wholly in the row's slot.
bool IsFixedSizeType(TFieldType type);
// BLOB, Memo, FmtMemo, Graphic: a separately held byte block.
bool IsLargeObjectType(TFieldType type);
// String and the large objects: the value lives outside the row's slots.
bool IsReferenceType(TFieldType type);

// Slot bytes of the fixed-size types (0 for the others).
unsigned FixedSlotSize(TFieldType type);

// The type named by a file's type character; SmallStr for any character that
// is none of the fourteen letters.
TFieldType FieldTypeFromChar(unsigned char c);

// The file's character for a type other than SmallStr and Unknown.
char FieldTypeChar(TFieldType type);

// Declared length of a SmallStr field from its length character, and back.
int SmallStrLengthFromChar(unsigned char c);
char SmallStrLengthChar(int length); // 1 to 35

} // namespace solvane
