#include "store/VolgaFormat.h"

#include "store/ByteReader.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace solvane {
namespace {

constexpr char kEntrySeparator = '\x12';
constexpr char kSectionEnd = '\x14';
constexpr std::int32_t kMaxStringLength = 8191;
constexpr std::int32_t kMaxObjectLength = (1 << 30) - 1;

const char* const kCorruption = "Buffer structure corruption!";
const char* const kDescriptionError = "Error in buffer structure (field description section)";
const char* const kUnexpectedEnd = "Unexpected end of buffer";

[[noreturn]] void Fail(const std::string& reason) { throw ETableLoadError(reason); }

std::string Format(const char* pattern, const std::string& name, long long a, long long b)
{
    // The messages hold one '%s' and two '%d'.
    std::string out;
    int argument = 0;
    for (const char* p = pattern; *p; ++p) {
        if (p[0] == '%' && (p[1] == 's' || p[1] == 'd')) {
            if (p[1] == 's')
                out += name;
            else
                out += std::to_string(argument++ == 0 ? a : b);
            ++p;
        } else {
            out += *p;
        }
    }
    return out;
}

std::string_view UpToZero(std::string_view bytes) { return bytes.substr(0, std::min(bytes.find('\0'), bytes.size())); }

// "Name f", "XXX.Ymin f", "XXX.ProblemName K", "XXX.Title s40".
TVolgaField ParseEntry(std::string_view entry)
{
    const std::size_t blank = entry.find(' ');
    if (blank == std::string_view::npos || blank + 1 >= entry.size())
        Fail(kDescriptionError);
    TVolgaField field;
    const std::string_view head = entry.substr(0, blank);
    const std::size_t dot = head.find('.');
    if (dot == std::string_view::npos) {
        field.Name = head;
    } else {
        field.Prefix = head.substr(0, dot);
        field.Name = head.substr(dot + 1);
    }
    const auto typeChar = static_cast<unsigned char>(entry[blank + 1]);
    field.FieldType = FieldTypeFromChar(typeChar);
    if (field.FieldType == TFieldType::String) {
        const std::string_view digits = entry.substr(blank + 2);
        int length = digits.empty() ? 100 : 0;
        for (char c : digits) {
            if (c < '0' || c > '9' || length > 3276)
                Fail(kCorruption);
            length = length * 10 + (c - '0');
        }
        if (length > 32767)
            Fail(kCorruption);
        field.DeclaredSize = static_cast<std::int16_t>(length);
    } else if (field.FieldType == TFieldType::SmallStr) {
        field.DeclaredSize = static_cast<std::int16_t>(SmallStrLengthFromChar(typeChar));
    }
    return field;
}

std::vector<TVolgaField> ParseDescription(std::string_view section, std::int32_t fieldCount)
{
    std::vector<TVolgaField> fields;
    std::size_t pos = 0;
    for (std::int32_t i = 0; i < fieldCount && pos < section.size(); ++i) {
        const std::size_t separator = section.find(kEntrySeparator, pos);
        if (separator == std::string_view::npos || separator == pos)
            Fail(kDescriptionError);
        fields.push_back(ParseEntry(section.substr(pos, separator - pos)));
        pos = separator + 1;
    }
    return fields;
}

// Reads the stored bytes of one field; h is its header byte, already accepted.
void ReadValue(TByteReader& reader, const TVolgaField& field, unsigned h, TRowValues& row, std::int32_t recordNo)
{
    std::string_view bytes;
    if (!IsReferenceType(field.FieldType)) {
        if (!reader.ReadBytes(h, bytes))
            Fail(kUnexpectedEnd);
        std::memcpy(row.Slots.data() + field.SlotOffset, bytes.data(), h);
        return;
    }
    std::int32_t length = 0;
    if (!reader.ReadInt32(length))
        Fail(kUnexpectedEnd);
    const bool isString = field.FieldType == TFieldType::String;
    if (length < 0 || length > (isString ? kMaxStringLength : kMaxObjectLength))
        Fail(Format(isString ? "String field '%s' has wrong length %d in record %d"
                             : "BLOB field '%s' has wrong length %d in record %d",
                    field.Name, length, recordNo));
    if (!reader.ReadBytes(static_cast<std::size_t>(length), bytes))
        Fail(kUnexpectedEnd);
    row.Objects[field.ObjectIndex] = isString ? UpToZero(bytes) : bytes;
}

bool AcceptsHeader(const TVolgaField& field, unsigned h)
{
    if (IsFixedSizeType(field.FieldType))
        return h <= field.SlotSize;
    if (field.FieldType == TFieldType::SmallStr)
        return static_cast<int>(h) <= field.DeclaredSize;
    return h == 0 || h == 4;
}

void SortByAutoInc(TTableContent& content)
{
    const auto autoInc = std::find_if(content.Fields.begin(), content.Fields.end(),
                                      [](const TVolgaField& f) { return f.FieldType == TFieldType::AutoInc; });
    if (autoInc == content.Fields.end())
        return;
    std::stable_sort(content.Rows.begin(), content.Rows.end(), [&](const TVolgaRow& a, const TVolgaRow& b) {
        return FixedValue(*autoInc, a.Values) < FixedValue(*autoInc, b.Values);
    });
}

template <typename T> void Append(std::string& out, T value)
{
    char bytes[sizeof value];
    std::memcpy(bytes, &value, sizeof value);
    out.append(bytes, sizeof value);
}

template <typename T> void Patch(std::string& out, std::size_t offset, T value)
{
    std::memcpy(out.data() + offset, &value, sizeof value);
}

} // namespace

void AssignSlots(TTableContent& content)
{
    std::uint32_t offset = 0;
    content.ObjectCount = 0;
    for (TVolgaField& field : content.Fields) {
        switch (field.FieldType) {
        case TFieldType::SmallStr:
            field.SlotSize = static_cast<std::uint16_t>(std::max(field.DeclaredSize + 1, 0));
            break;
        case TFieldType::String:
            field.SlotSize = 4;
            break;
        default:
            field.SlotSize = static_cast<std::uint16_t>(IsLargeObjectType(field.FieldType) ? 8 : FixedSlotSize(field.FieldType));
        }
        if (!IsReferenceType(field.FieldType) && field.FieldType != TFieldType::SmallStr)
            field.DeclaredSize = 0;
        field.ObjectIndex = IsReferenceType(field.FieldType) ? content.ObjectCount++ : -1;
        field.SlotOffset = offset;
        offset += field.SlotSize;
    }
    content.RowSize = offset;
}

TRowValues BlankRow(const TTableContent& content)
{
    TRowValues row;
    row.Slots.assign(content.RowSize, '\0');
    row.Objects.resize(content.ObjectCount);
    return row;
}

double FixedValue(const TVolgaField& field, const TRowValues& row)
{
    const char* slot = row.Slots.data() + field.SlotOffset;
    switch (field.FieldType) {
    case TFieldType::SmallInt:
    case TFieldType::Boolean: {
        std::int16_t v;
        std::memcpy(&v, slot, sizeof v);
        return v;
    }
    case TFieldType::Integer:
    case TFieldType::Date:
    case TFieldType::Time:
    case TFieldType::AutoInc: {
        std::int32_t v;
        std::memcpy(&v, slot, sizeof v);
        return v;
    }
    case TFieldType::Double:
    case TFieldType::Currency:
    case TFieldType::DateTime: {
        double v;
        std::memcpy(&v, slot, sizeof v);
        return v;
    }
    default:
        return 0;
    }
}

std::string_view TextValue(const TVolgaField& field, const TRowValues& row)
{
    if (field.ObjectIndex >= 0)
        return row.Objects[field.ObjectIndex];
    if (field.FieldType == TFieldType::SmallStr && field.SlotSize > 0)
        return UpToZero(std::string_view(row.Slots).substr(field.SlotOffset, field.SlotSize - 1u));
    return {};
}

bool IsStored(const TVolgaField& field, const TRowValues& row)
{
    if (IsFixedSizeType(field.FieldType)) {
        const double v = FixedValue(field, row);
        return v != 0.0 && !std::isnan(v);
    }
    return !TextValue(field, row).empty();
}

namespace {

// The block's kind, the counts and the field description; returns the declared record count.
std::int32_t ReadTableHead(TByteReader& reader, std::string_view bytes, TTableContent& content)
{
    std::int32_t blockLength = 0;
    unsigned char kind = 0;
    if (!reader.ReadInt32(blockLength) || !reader.ReadByte(kind))
        Fail(kCorruption);
    if (kind == 'E')
        Fail(std::string(UpToZero(bytes.substr(reader.Position()))));
    if (kind == 'P')
        Fail("Password-protected tables are not supported");

    std::int32_t recordCount = 0, descriptionLength = 0;
    std::string_view description;
    if (!reader.ReadInt32(recordCount) || !reader.ReadInt32(content.DeclaredFieldCount) ||
        !reader.ReadInt32(descriptionLength) || descriptionLength < 0 ||
        !reader.ReadBytes(static_cast<std::size_t>(descriptionLength), description))
        Fail(kCorruption);
    content.Description = description;
    content.Fields = ParseDescription(description, content.DeclaredFieldCount);
    AssignSlots(content);
    return recordCount;
}

// The notes block, a '*' where the first record header would start.
void ReadNotes(TByteReader& reader, std::size_t headerSize, TTableContent& content)
{
    if (!reader.Has(std::max<std::size_t>(headerSize, 1)) || reader.Peek() != '*')
        return;
    unsigned char star;
    std::int16_t length = 0;
    std::string_view notes;
    reader.ReadByte(star);
    if (!reader.ReadInt16(length) || !reader.ReadBytes(static_cast<std::size_t>(std::max<std::int16_t>(length, 0)), notes))
        Fail(kUnexpectedEnd);
    content.Notes = UpToZero(notes);
}

// The records, each a header of one length byte per field and the values;
// returns how many were read.
std::int32_t ReadRecords(TByteReader& reader, std::size_t headerSize, std::int32_t recordCount, TTableContent& content)
{
    std::int32_t recordsRead = 0;
    if (content.Fields.empty()) {
        // Every record is just its header bytes; count them.
        const std::size_t fit = headerSize == 0 ? static_cast<std::size_t>(std::max(recordCount, 0))
                                                : reader.Remaining() / headerSize;
        recordsRead = static_cast<std::int32_t>(std::min<std::size_t>(fit, static_cast<std::size_t>(std::max(recordCount, 0))));
        content.SkippedRecords = recordsRead;
        return recordsRead;
    }
    if (recordCount > 0)
        content.Rows.reserve(std::min<std::size_t>(static_cast<std::size_t>(recordCount),
                                                   reader.Remaining() / std::max<std::size_t>(headerSize, 1) + 1));
    const TRowValues blank = BlankRow(content);
    while (recordsRead < recordCount && reader.Has(headerSize)) {
        const std::int32_t recordNo = recordsRead + 1;
        std::string_view header;
        reader.ReadBytes(headerSize, header);
        TVolgaRow row;
        row.Values = blank;
        for (std::size_t i = 0; i < content.Fields.size(); ++i) {
            const TVolgaField& field = content.Fields[i];
            const unsigned h = static_cast<unsigned char>(header[i]);
            if (!AcceptsHeader(field, h))
                Fail(Format("Field '%s' has wrong length %d in record %d", field.Name, h, recordNo));
            if (h > 0)
                ReadValue(reader, field, h, row.Values, recordNo);
        }
        content.Rows.push_back(std::move(row));
        ++recordsRead;
    }
    return recordsRead;
}

} // namespace

TTableContent LoadTableContent(std::string_view bytes)
{
    TByteReader reader(bytes);
    TTableContent content;
    const std::int32_t recordCount = ReadTableHead(reader, bytes, content);
    const std::size_t headerSize = static_cast<std::size_t>(std::max(content.DeclaredFieldCount, 0));
    ReadNotes(reader, headerSize, content);
    const std::int32_t recordsRead = ReadRecords(reader, headerSize, recordCount, content);
    if (recordsRead != recordCount)
        Fail(Format("Number of records read (%d) does not match declared record count (%d)", "", recordsRead,
                    recordCount));
    SortByAutoInc(content);
    return content;
}

std::string SaveTableContent(const TTableContent& content)
{
    const std::size_t headerSize = static_cast<std::size_t>(std::max(content.DeclaredFieldCount, 0));
    std::size_t estimate = 17 + content.Description.size() + content.Notes.size() + 3;
    for (const TVolgaRow& row : content.Rows) {
        estimate += headerSize + row.Values.Slots.size() + 4 * row.Values.Objects.size();
        for (const std::string& object : row.Values.Objects)
            estimate += object.size();
    }
    std::string out;
    out.reserve(estimate);
    Append<std::int32_t>(out, 0);
    out += 'S';
    Append<std::int32_t>(out, 0);
    Append<std::int32_t>(out, content.DeclaredFieldCount);
    Append<std::int32_t>(out, static_cast<std::int32_t>(content.Description.size()));
    out += content.Description;
    if (!content.Notes.empty()) {
        out += '*';
        Append<std::int16_t>(out, static_cast<std::int16_t>(content.Notes.size()));
        out += content.Notes;
    }

    std::int32_t written = 0;
    for (const TVolgaRow& row : content.Rows) {
        if (row.State == TRowState::Deleted || row.State == TRowState::Discarded)
            continue;
        const std::size_t header = out.size();
        out.append(headerSize, '\0');
        for (std::size_t i = 0; i < content.Fields.size(); ++i) {
            const TVolgaField& field = content.Fields[i];
            if (!IsStored(field, row.Values))
                continue;
            if (IsFixedSizeType(field.FieldType)) {
                out[header + i] = static_cast<char>(field.SlotSize);
                out.append(row.Values.Slots, field.SlotOffset, field.SlotSize);
            } else if (field.FieldType == TFieldType::SmallStr) {
                const std::string_view text = TextValue(field, row.Values);
                out[header + i] = static_cast<char>(text.size());
                out += text;
            } else {
                const std::string_view object = TextValue(field, row.Values);
                out[header + i] = 4;
                Append<std::int32_t>(out, static_cast<std::int32_t>(object.size()));
                out += object;
            }
        }
        ++written;
    }
    // Records of a table without fields are header bytes only.
    out.append(headerSize * static_cast<std::size_t>(content.SkippedRecords), '\0');
    written += static_cast<std::int32_t>(content.SkippedRecords);
    Patch<std::int32_t>(out, 5, written);
    Patch<std::int32_t>(out, 0, static_cast<std::int32_t>(out.size()));
    return out;
}

} // namespace solvane
