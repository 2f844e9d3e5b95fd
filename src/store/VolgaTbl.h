#pragma once
// TVolgaTable: one table held wholly in memory, read from its file on Open and
// written anew only by SaveToFile. Rows keep their states (unchanged, modified,
// inserted, deleted, discarded); the visible rows are ordered on Open.
#include "store/VolgaFormat.h"

#include <cstdint>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace solvane {

// Every error the table raises, as "<component name>: <message>".
class EDatabaseError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class TTableState { Inactive, Browse, Edit, Insert };

// A field the application needs: its name and the types it may have (the
// first is the one named in a mismatch message).
struct TFieldBinding {
    std::string Name;
    std::vector<TFieldType> Accepted;
};

// A field of a table made from definitions: Size is the declared length of texts.
struct TFieldDef {
    std::string Name;
    TFieldType Type = TFieldType::Unknown;
    int Size = 0;
};

class TVolgaTable {
public:
    explicit TVolgaTable(std::string componentName = "VolgaTable");

    const std::string& ComponentName() const { return m_name; }

    // The file Open reads. Setting another name closes the table.
    const std::string& TableName() const { return m_tableName; }
    void SetTableName(const std::string& fileName);

    std::string IndexFieldNames;          // the field ordering the visible rows
    std::vector<TFieldBinding> Bindings;  // fields Open requires, by name

    // Hooks. BeforePost returns false to reject the post.
    std::function<bool()> BeforePost;
    std::function<void()> AfterInsert, AfterPost, AfterDelete, AfterScroll, AfterOpen;
    // Called when the values shown change: the field's index, or -1 for the whole row.
    std::function<void(int)> OnDataChange;

    void Open();                                // reads TableName
    void OpenFromBuffer(std::string_view bytes); // the same from bytes already in memory
    void Close();
    bool Active() const { return m_state != TTableState::Inactive; }
    TTableState State() const { return m_state; }

    // Makes empty content from field definitions (closed; Open or OpenEmpty next).
    void CreateFromDefinitions(const std::vector<TFieldDef>& defs);
    // Opens the content in memory without reading a file.
    void OpenLoaded();

    // Writes the content through a temporary file in the same folder that then
    // replaces the target, so a failed save leaves the old file as it was.
    // Does nothing without loaded content. Throws EDatabaseError with the system's reason.
    void SaveToFile(const std::string& fileName) const;
    std::string SaveToBuffer() const; // the file bytes
    bool HasContent() const { return m_loaded; }

    const std::vector<TVolgaField>& Fields() const { return m_content.Fields; }
    int FieldIndex(std::string_view name) const; // -1 when missing
    int FieldIndexChecked(std::string_view name) const; // throws "Field '%s' not found"
    const std::string& Notes() const { return m_content.Notes; }
    const TTableContent& Content() const { return m_content; }
    // Numeric fields carry a display format ("0.######"), kept across Open.
    void SetDisplayFormat(const std::string& field, const std::string& format) { m_displayFormats[field] = format; }
    std::string DisplayFormat(const std::string& field) const;

    // Rows in physical order and the visible order as indices into them.
    const std::vector<TVolgaRow>& Rows() const { return m_content.Rows; }
    const std::vector<std::size_t>& VisibleRows() const { return m_visible; }

    // Navigation over the visible rows. Moving posts a pending edit first and
    // returns false, without moving, when that post is rejected.
    bool First();
    bool Next();
    bool Prior();
    bool Last();
    // Posts a pending edit, then makes the row at this 1-based visible position
    // current; false when the post was rejected.
    bool MoveToRecNo(int recNo);
    bool Eof() const { return m_eof; }
    int RecNo() const;       // 1-based position in the visible order, 0 without a row
    int RecordCount() const; // number of visible rows

    void Insert();
    void Edit();
    bool Post();      // false when BeforePost rejected it
    void Cancel();
    void Delete();
    // Posts a pending edit or insert; false when rejected.
    bool CheckBrowseMode();

    // Values of the current row (of the pending values while editing or inserting).
    std::string AsString(int field) const;
    double AsFloat(int field) const;
    std::int64_t AsInteger(int field) const;
    bool AsBoolean(int field) const;
    bool IsNull(int field) const;
    std::string DisplayText(int field, char decimalSeparator = '.') const;

    // Writing puts a browsed row into edit state. A text longer than the
    // field's declared length is cut to it.
    void SetAsString(int field, std::string_view text);
    void SetAsFloat(int field, double value);
    void SetAsInteger(int field, std::int64_t value);
    void SetAsBoolean(int field, bool value);

    std::string AsString(std::string_view name) const { return AsString(FieldIndexChecked(name)); }
    double AsFloat(std::string_view name) const { return AsFloat(FieldIndexChecked(name)); }
    std::int64_t AsInteger(std::string_view name) const { return AsInteger(FieldIndexChecked(name)); }
    bool AsBoolean(std::string_view name) const { return AsBoolean(FieldIndexChecked(name)); }
    bool IsNull(std::string_view name) const { return IsNull(FieldIndexChecked(name)); }
    void SetAsString(std::string_view name, std::string_view text) { SetAsString(FieldIndexChecked(name), text); }
    void SetAsFloat(std::string_view name, double value) { SetAsFloat(FieldIndexChecked(name), value); }
    void SetAsInteger(std::string_view name, std::int64_t value) { SetAsInteger(FieldIndexChecked(name), value); }
    void SetAsBoolean(std::string_view name, bool value) { SetAsBoolean(FieldIndexChecked(name), value); }

    [[noreturn]] void Error(const std::string& message) const;

private:
    void FinishOpen();
    void Bind() const;
    void OrderVisibleRows();
    void CheckActive() const;
    const TRowValues* ActiveValues() const;
    TRowValues& ValuesForWriting(int field);
    void WriteFixed(int field, double value);
    void MoveTo(int position);
    void NotifyRecord();
    const TVolgaField& FieldAt(int field) const;

    std::string m_name;
    std::string m_tableName;
    TTableContent m_content;
    bool m_loaded = false;
    std::vector<std::size_t> m_visible;
    TTableState m_state = TTableState::Inactive;
    int m_pos = -1;          // index into m_visible
    int m_posBeforeInsert = -1;
    bool m_eof = true;
    TRowValues m_pending;    // the values being edited or inserted
    std::int32_t m_lastAutoInc = 0;
    std::map<std::string, std::string> m_displayFormats;
};

} // namespace solvane
