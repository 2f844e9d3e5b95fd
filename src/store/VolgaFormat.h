#pragma once
// The table file: its content in memory and the byte-exact load and save.
#include "store/FieldTypes.h"

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace solvane {

// One field descriptor, in the order of the description section.
struct TVolgaField {
    std::string Name;
    std::string Prefix = "XXX";
    std::uint16_t SlotSize = 0;
    std::int16_t DeclaredSize = 0; // SmallStr and String only
    std::uint32_t SlotOffset = 0;
    TFieldType FieldType = TFieldType::Unknown;
    int ObjectIndex = -1; // String and large objects: index into TRowValues::Objects
};

// A row's values: the slots of the fixed-size and SmallStr fields in one buffer,
// the String texts and large objects beside it (an empty object is "none").
struct TRowValues {
    std::string Slots;
    std::vector<std::string> Objects;
};

enum class TRowState : std::uint8_t { Unchanged = 0, Modified = 1, Inserted = 2, Deleted = 3, Discarded = 4 };

struct TVolgaRow {
    TRowValues Values;
    std::unique_ptr<TRowValues> Old; // taken when the row is first edited
    TRowState State = TRowState::Unchanged;
};

struct TTableContent {
    std::int32_t DeclaredFieldCount = 0; // F as stored; every record has this many header bytes
    std::string Description;             // the description section, written back as read
    std::vector<TVolgaField> Fields;     // the entries parsed from it
    std::string Notes;
    std::uint32_t RowSize = 0;           // sum of all slots
    int ObjectCount = 0;                 // fields held outside the slots
    std::vector<TVolgaRow> Rows;         // physical order
    std::int64_t SkippedRecords = 0;     // records of a table without fields: counted, not kept
};

// Why a file could not be read; the table prefixes it with "Error opening table: ".
class ETableLoadError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Parses a whole table file. Records of a table without fields hold nothing
// and are only counted, so that a tiny file declaring two billion of them
// costs nothing.
TTableContent LoadTableContent(std::string_view bytes);

// The file bytes of the content: every row not deleted or discarded, in physical order.
std::string SaveTableContent(const TTableContent& content);

// A blank row (every slot zero) for the content's fields.
TRowValues BlankRow(const TTableContent& content);

// Lays out slots and objects for fields in order (SlotOffset, ObjectIndex, sizes).
void AssignSlots(TTableContent& content);

// Value of a fixed-size field as stored in the slot.
double FixedValue(const TVolgaField& field, const TRowValues& row);
// Text of a SmallStr or String field, bytes of a large object.
std::string_view TextValue(const TVolgaField& field, const TRowValues& row);

// Whether the saved record stores bytes for the field (a zero number or an empty text stores none).
bool IsStored(const TVolgaField& field, const TRowValues& row);

} // namespace solvane
