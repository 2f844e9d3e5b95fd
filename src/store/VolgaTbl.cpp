#include "store/VolgaTbl.h"

#include "text/NumberFormat.h"
#include "store/SafeFile.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <filesystem>

namespace solvane {
namespace {

constexpr std::size_t kMaxStringLength = 8191; // longer String texts would not load again

bool IsVisible(TRowState state)
{
    return state == TRowState::Unchanged || state == TRowState::Modified || state == TRowState::Inserted;
}

bool IsFloatType(TFieldType type)
{
    return type == TFieldType::Double || type == TFieldType::Currency || type == TFieldType::DateTime;
}

std::string Quoted(std::string_view name)
{
    std::string quoted;
    quoted.reserve(name.size() + 2);
    quoted.push_back('\'');
    quoted.append(name);
    quoted.push_back('\'');
    return quoted;
}

} // namespace

TVolgaTable::TVolgaTable(std::string componentName) : m_name(std::move(componentName)) {}

void TVolgaTable::Error(const std::string& message) const { throw EDatabaseError(m_name + ": " + message); }

void TVolgaTable::SetTableName(const std::string& fileName)
{
    if (fileName != m_tableName && Active())
        Close();
    m_tableName = fileName;
}

std::string TVolgaTable::DisplayFormat(const std::string& field) const
{
    const auto found = m_displayFormats.find(field);
    return found == m_displayFormats.end() ? std::string() : found->second;
}

void TVolgaTable::Open()
{
    if (Active())
        return;
    m_loaded = false;
    m_content = {};
    std::error_code ec;
    std::string bytes;
    if (!std::filesystem::exists(m_tableName, ec) || !ReadWholeFile(m_tableName, bytes))
        Error("Error opening file " + m_tableName);
    OpenFromBuffer(bytes);
}

void TVolgaTable::OpenFromBuffer(std::string_view bytes)
{
    if (Active())
        Close();
    m_loaded = false;
    m_content = {};
    try {
        m_content = LoadTableContent(bytes);
    } catch (const ETableLoadError& e) {
        m_content = {};
        Error(std::string("Error opening table: ") + e.what());
    }
    m_loaded = true;
    FinishOpen();
}

void TVolgaTable::OpenLoaded()
{
    if (Active())
        return;
    if (!m_loaded)
        Error("Cannot perform this operation on a closed dataset");
    FinishOpen();
}

void TVolgaTable::FinishOpen()
{
    Bind();
    m_lastAutoInc = 0;
    for (const TVolgaField& field : m_content.Fields)
        if (field.FieldType == TFieldType::AutoInc)
            for (const TVolgaRow& row : m_content.Rows)
                if (IsVisible(row.State))
                    m_lastAutoInc = std::max(m_lastAutoInc, static_cast<std::int32_t>(FixedValue(field, row.Values)));
    OrderVisibleRows();
    m_state = TTableState::Browse;
    m_pos = m_visible.empty() ? -1 : 0;
    m_eof = m_visible.empty();
    NotifyRecord();
    if (AfterOpen)
        AfterOpen();
    if (!m_visible.empty() && AfterScroll)
        AfterScroll();
}

void TVolgaTable::Close()
{
    m_state = TTableState::Inactive;
    m_pending = {};
    m_visible.clear();
    m_pos = -1;
    m_eof = true;
}

void TVolgaTable::Bind() const
{
    for (const TFieldBinding& binding : Bindings) {
        const int index = FieldIndex(binding.Name);
        if (index < 0)
            Error("Field " + Quoted(binding.Name) + " not found");
        const TFieldType actual = m_content.Fields[index].FieldType;
        if (std::find(binding.Accepted.begin(), binding.Accepted.end(), actual) == binding.Accepted.end())
            Error("Type mismatch for field " + Quoted(binding.Name) + ", expecting: " +
                  FieldTypeName(binding.Accepted.front()) + " actual: " + FieldTypeName(actual));
    }
}

void TVolgaTable::OrderVisibleRows()
{
    m_visible.clear();
    for (std::size_t i = 0; i < m_content.Rows.size(); ++i)
        if (IsVisible(m_content.Rows[i].State))
            m_visible.push_back(i);
    const int key = FieldIndex(IndexFieldNames);
    if (key < 0)
        return;
    const TVolgaField& field = m_content.Fields[key];
    const auto& rows = m_content.Rows;
    if (IsFixedSizeType(field.FieldType)) {
        std::stable_sort(m_visible.begin(), m_visible.end(), [&](std::size_t a, std::size_t b) {
            return FixedValue(field, rows[a].Values) < FixedValue(field, rows[b].Values);
        });
    } else {
        // Unsigned byte order over the common part, the shorter text first;
        // char_traits<char> compares as unsigned char.
        std::stable_sort(m_visible.begin(), m_visible.end(), [&](std::size_t a, std::size_t b) {
            return TextValue(field, rows[a].Values) < TextValue(field, rows[b].Values);
        });
    }
}

void TVolgaTable::CreateFromDefinitions(const std::vector<TFieldDef>& defs)
{
    Close();
    m_content = {};
    for (const TFieldDef& def : defs) {
        TVolgaField field;
        field.Name = def.Name;
        std::replace(field.Name.begin(), field.Name.end(), ' ', '_');
        field.FieldType = def.Type;
        if (def.Type == TFieldType::SmallStr || def.Type == TFieldType::String) {
            field.FieldType = def.Size <= 35 ? TFieldType::SmallStr : TFieldType::String;
            field.DeclaredSize = static_cast<std::int16_t>(std::clamp(def.Size, 1, 32767));
        }
        m_content.Description += field.Prefix + "." + field.Name + " ";
        if (field.FieldType == TFieldType::SmallStr)
            m_content.Description += SmallStrLengthChar(field.DeclaredSize);
        else
            m_content.Description += FieldTypeChar(field.FieldType);
        if (field.FieldType == TFieldType::String)
            m_content.Description += std::to_string(field.DeclaredSize);
        m_content.Description += '\x12';
        m_content.Fields.push_back(std::move(field));
    }
    m_content.Description += '\x14';
    m_content.DeclaredFieldCount = static_cast<std::int32_t>(defs.size());
    AssignSlots(m_content);
    m_loaded = true;
}

std::string TVolgaTable::SaveToBuffer() const { return m_loaded ? SaveTableContent(m_content) : std::string(); }

void TVolgaTable::SaveToFile(const std::string& fileName) const
{
    if (!m_loaded)
        return;
    const std::string bytes = SaveToBuffer();
    try {
        ReplaceFile(fileName, bytes);
    } catch (const std::runtime_error& e) {
        Error(e.what());
    }
}

int TVolgaTable::FieldIndex(std::string_view name) const
{
    for (std::size_t i = 0; i < m_content.Fields.size(); ++i)
        if (m_content.Fields[i].Name == name)
            return static_cast<int>(i);
    return -1;
}

int TVolgaTable::FieldIndexChecked(std::string_view name) const
{
    const int index = FieldIndex(name);
    if (index < 0)
        Error("Field " + Quoted(name) + " not found");
    return index;
}

const TVolgaField& TVolgaTable::FieldAt(int field) const
{
    if (field < 0 || static_cast<std::size_t>(field) >= m_content.Fields.size())
        Error("Field index out of range");
    return m_content.Fields[field];
}

void TVolgaTable::CheckActive() const
{
    if (!Active())
        Error("Cannot perform this operation on a closed dataset");
}

void TVolgaTable::NotifyRecord()
{
    if (OnDataChange)
        OnDataChange(-1);
}

void TVolgaTable::MoveTo(int position)
{
    if (position == m_pos)
        return;
    m_pos = position;
    NotifyRecord();
    if (AfterScroll)
        AfterScroll();
}

bool TVolgaTable::CheckBrowseMode()
{
    CheckActive();
    if (m_state == TTableState::Edit || m_state == TTableState::Insert)
        return Post();
    return true;
}

bool TVolgaTable::First()
{
    if (!CheckBrowseMode())
        return false;
    m_eof = m_visible.empty();
    if (!m_visible.empty())
        MoveTo(0);
    return true;
}

bool TVolgaTable::MoveToRecNo(int recNo)
{
    if (!CheckBrowseMode())
        return false;
    if (recNo >= 1 && recNo <= RecordCount()) {
        m_eof = false;
        MoveTo(recNo - 1);
    }
    return true;
}

bool TVolgaTable::Next()
{
    if (!CheckBrowseMode())
        return false;
    if (m_pos + 1 < RecordCount()) {
        m_eof = false;
        MoveTo(m_pos + 1);
    } else {
        m_eof = true;
    }
    return true;
}

bool TVolgaTable::Prior()
{
    if (!CheckBrowseMode())
        return false;
    m_eof = m_visible.empty();
    if (m_pos > 0)
        MoveTo(m_pos - 1);
    return true;
}

bool TVolgaTable::Last()
{
    if (!CheckBrowseMode())
        return false;
    m_eof = m_visible.empty();
    if (!m_visible.empty())
        MoveTo(RecordCount() - 1);
    return true;
}

int TVolgaTable::RecNo() const
{
    if (m_state == TTableState::Insert || m_pos < 0)
        return 0;
    return m_pos + 1;
}

int TVolgaTable::RecordCount() const { return static_cast<int>(m_visible.size()); }

void TVolgaTable::Insert()
{
    if (!CheckBrowseMode())
        return;
    m_posBeforeInsert = m_pos;
    m_pending = BlankRow(m_content);
    m_state = TTableState::Insert;
    NotifyRecord();
    if (AfterInsert)
        AfterInsert();
    if (AfterScroll)
        AfterScroll();
}

void TVolgaTable::Edit()
{
    CheckActive();
    if (m_state != TTableState::Browse)
        return;
    if (m_visible.empty()) {
        Insert();
        return;
    }
    m_pending = m_content.Rows[m_visible[m_pos]].Values;
    m_state = TTableState::Edit;
}

bool TVolgaTable::Post()
{
    CheckActive();
    if (m_state == TTableState::Browse)
        return true;
    if (BeforePost && !BeforePost())
        return false;
    if (m_state == TTableState::Edit) {
        TVolgaRow& row = m_content.Rows[m_visible[m_pos]];
        if (!row.Old)
            row.Old = std::make_unique<TRowValues>(std::move(row.Values));
        row.Values = std::move(m_pending);
        if (row.State == TRowState::Unchanged)
            row.State = TRowState::Modified;
    } else {
        for (const TVolgaField& field : m_content.Fields) {
            if (field.FieldType != TFieldType::AutoInc)
                continue;
            auto value = static_cast<std::int32_t>(FixedValue(field, m_pending));
            if (value == 0)
                value = ++m_lastAutoInc;
            m_lastAutoInc = std::max(m_lastAutoInc, value);
            std::memcpy(m_pending.Slots.data() + field.SlotOffset, &value, sizeof value);
        }
        TVolgaRow row;
        row.Values = std::move(m_pending);
        row.State = TRowState::Inserted;
        m_content.Rows.push_back(std::move(row));
        m_visible.push_back(m_content.Rows.size() - 1);
        m_pos = RecordCount() - 1;
        m_eof = false;
    }
    m_pending = {};
    m_state = TTableState::Browse;
    if (AfterPost)
        AfterPost();
    return true;
}

void TVolgaTable::Cancel()
{
    CheckActive();
    const TTableState was = m_state;
    m_state = TTableState::Browse;
    m_pending = {};
    if (was == TTableState::Edit) {
        NotifyRecord();
    } else if (was == TTableState::Insert) {
        m_pos = std::min(m_posBeforeInsert, RecordCount() - 1);
        NotifyRecord();
        if (AfterScroll)
            AfterScroll();
    }
}

void TVolgaTable::Delete()
{
    CheckActive();
    if (m_state == TTableState::Insert) {
        Cancel();
        return;
    }
    m_state = TTableState::Browse;
    m_pending = {};
    if (m_visible.empty())
        Error("Cannot perform this operation on an empty dataset");
    TVolgaRow& row = m_content.Rows[m_visible[m_pos]];
    if (row.State == TRowState::Inserted) {
        row.State = TRowState::Discarded;
        row.Values = {};
        row.Old.reset();
    } else {
        row.State = TRowState::Deleted;
    }
    m_visible.erase(m_visible.begin() + m_pos);
    m_pos = std::min(m_pos, RecordCount() - 1);
    m_eof = m_visible.empty();
    NotifyRecord();
    if (AfterDelete)
        AfterDelete();
    if (AfterScroll)
        AfterScroll();
}

const TRowValues* TVolgaTable::ActiveValues() const
{
    if (m_state == TTableState::Edit || m_state == TTableState::Insert)
        return &m_pending;
    if (m_state == TTableState::Browse && m_pos >= 0)
        return &m_content.Rows[m_visible[m_pos]].Values;
    return nullptr;
}

std::string TVolgaTable::AsString(int field) const
{
    const TVolgaField& f = FieldAt(field);
    const TRowValues* values = ActiveValues();
    if (!values)
        return {};
    if (!IsFixedSizeType(f.FieldType))
        return std::string(TextValue(f, *values));
    const double value = FixedValue(f, *values);
    if (f.FieldType == TFieldType::Boolean)
        return value != 0 ? "True" : "False";
    if (IsFloatType(f.FieldType))
        return FormatGeneral(value);
    return std::to_string(static_cast<long long>(value));
}

std::string TVolgaTable::DisplayText(int field, char decimalSeparator) const
{
    const TVolgaField& f = FieldAt(field);
    const std::string format = DisplayFormat(f.Name);
    const TRowValues* values = ActiveValues();
    if (!values || !IsFloatType(f.FieldType))
        return AsString(field);
    if (format.empty())
        return FormatGeneral(FixedValue(f, *values), decimalSeparator);
    return FormatFloat(format, FixedValue(f, *values), NumberSeparators{decimalSeparator, ','});
}

double TVolgaTable::AsFloat(int field) const
{
    const TVolgaField& f = FieldAt(field);
    if (!IsFixedSizeType(f.FieldType))
        Error("Field " + Quoted(f.Name) + " holds no number");
    const TRowValues* values = ActiveValues();
    return values ? FixedValue(f, *values) : 0.0;
}

std::int64_t TVolgaTable::AsInteger(int field) const
{
    const double value = AsFloat(field);
    return std::isfinite(value) ? static_cast<std::int64_t>(value) : 0;
}

bool TVolgaTable::AsBoolean(int field) const { return AsFloat(field) != 0.0; }

bool TVolgaTable::IsNull(int field) const
{
    const TVolgaField& f = FieldAt(field);
    const TRowValues* values = ActiveValues();
    if (!values)
        return true;
    if (f.FieldType == TFieldType::Date || f.FieldType == TFieldType::DateTime)
        return FixedValue(f, *values) == 0.0;
    if (IsFixedSizeType(f.FieldType))
        return false;
    return TextValue(f, *values).empty();
}

TRowValues& TVolgaTable::ValuesForWriting(int field)
{
    FieldAt(field);
    CheckActive();
    if (m_state == TTableState::Browse)
        Edit();
    return m_pending;
}

void TVolgaTable::WriteFixed(int field, double value)
{
    const TVolgaField& f = FieldAt(field);
    TRowValues& values = ValuesForWriting(field);
    char* slot = values.Slots.data() + f.SlotOffset;
    if (IsFloatType(f.FieldType)) {
        std::memcpy(slot, &value, sizeof value);
    } else {
        const bool narrow = f.SlotSize == 2;
        const double low = narrow ? -32768.0 : -2147483648.0;
        const double high = narrow ? 32767.0 : 2147483647.0;
        const double rounded = std::round(value);
        if (!(rounded >= low && rounded <= high))
            Error(FormatGeneral(value) + " is not a valid value for field " + Quoted(f.Name) + ". The allowed range is " +
                  FormatGeneral(low) + " to " + FormatGeneral(high));
        if (narrow) {
            const auto v = static_cast<std::int16_t>(rounded);
            std::memcpy(slot, &v, sizeof v);
        } else {
            const auto v = static_cast<std::int32_t>(rounded);
            std::memcpy(slot, &v, sizeof v);
        }
    }
    if (OnDataChange)
        OnDataChange(field);
}

void TVolgaTable::SetAsString(int field, std::string_view text)
{
    const TVolgaField& f = FieldAt(field);
    if (IsFixedSizeType(f.FieldType)) {
        std::string number(text);
        number.erase(0, number.find_first_not_of(' '));
        number.erase(number.find_last_not_of(' ') + 1);
        if (f.FieldType == TFieldType::Boolean && (number == "True" || number == "False")) {
            SetAsBoolean(field, number == "True");
            return;
        }
        std::replace(number.begin(), number.end(), ',', '.');
        double value = 0;
        if (!number.empty()) {
            const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
            if (ec != std::errc() || end != number.data() + number.size())
                Error(Quoted(text) + " is not a valid value for field " + Quoted(f.Name));
        }
        WriteFixed(field, value);
        return;
    }
    TRowValues& values = ValuesForWriting(field);
    if (f.FieldType == TFieldType::SmallStr) {
        const std::size_t room = f.SlotSize > 0 ? f.SlotSize - 1u : 0;
        text = text.substr(0, std::min({room, text.size(), text.find('\0')}));
        char* slot = values.Slots.data() + f.SlotOffset;
        std::memset(slot, 0, f.SlotSize);
        std::memcpy(slot, text.data(), text.size());
    } else if (f.FieldType == TFieldType::String) {
        const std::size_t room = std::min<std::size_t>(static_cast<std::size_t>(std::max<int>(f.DeclaredSize, 0)), kMaxStringLength);
        values.Objects[f.ObjectIndex] = text.substr(0, std::min({room, text.size(), text.find('\0')}));
    } else {
        values.Objects[f.ObjectIndex] = text;
    }
    if (OnDataChange)
        OnDataChange(field);
}

void TVolgaTable::SetAsFloat(int field, double value)
{
    if (IsFixedSizeType(FieldAt(field).FieldType))
        WriteFixed(field, value);
    else
        SetAsString(field, FormatGeneral(value));
}

void TVolgaTable::SetAsInteger(int field, std::int64_t value)
{
    if (IsFixedSizeType(FieldAt(field).FieldType))
        WriteFixed(field, static_cast<double>(value));
    else
        SetAsString(field, std::to_string(value));
}

void TVolgaTable::SetAsBoolean(int field, bool value)
{
    if (IsFixedSizeType(FieldAt(field).FieldType))
        WriteFixed(field, value ? 1.0 : 0.0);
    else
        SetAsString(field, value ? "True" : "False");
}

} // namespace solvane
