// Loading and saving table files byte by byte.
#include "StoreTestFiles.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace solvane;
using namespace solvane::test;

namespace {

std::string LoadError(const std::string& bytes)
{
    TVolgaTable table("vtblProblem");
    try {
        table.OpenFromBuffer(bytes);
    } catch (const EDatabaseError& e) {
        EXPECT_FALSE(table.Active());
        return e.what();
    }
    return "";
}

std::string OneField(const char* entry, const std::string& records, std::int32_t count)
{
    return TableFile(count, 1, Description({entry}), records);
}

} // namespace

TEST(VolgaFormat, WorkedExampleLoadsAndSavesByteForByte)
{
    const std::string file = WorkedExample();
    ASSERT_EQ(file.size(), 241u);
    ASSERT_EQ(ProblemDescription().size(), 169u);
    EXPECT_EQ(file.substr(0, 17), std::string("\xf1\0\0\0\x53\x01\0\0\0\x0b\0\0\0\xa9\0\0\0", 17));

    TVolgaTable table;
    table.OpenFromBuffer(file);
    ASSERT_EQ(table.RecordCount(), 1);
    EXPECT_EQ(table.AsString("ProblemName"), "AB");
    EXPECT_EQ(table.AsFloat("Ymin"), 0.0);
    EXPECT_FALSE(table.IsNull("Ymin")); // a zero number is present
    EXPECT_EQ(table.AsFloat("Ymax"), 1000.0);
    EXPECT_EQ(table.AsInteger("YPoints"), 100);
    EXPECT_FALSE(table.AsBoolean("ShowMosaicDiagram"));
    EXPECT_TRUE(table.AsBoolean("ShowChart"));
    EXPECT_EQ(table.AsString("Functs"), "GL=0");
    EXPECT_EQ(table.AsString("Yparameter"), "Temperature");
    EXPECT_EQ(table.AsString("Zparameter"), "P");
    EXPECT_EQ(table.SaveToBuffer(), file);

    // The same database built from values is the same bytes.
    TProblemRow ab = NewProblemRow();
    ab.ProblemName = "AB";
    ab.Ymax = 1000;
    ab.Zvalue = 1;
    ab.Functs = "GL=0";
    ab.Yparameter = "Temperature";
    ab.Zparameter = "P";
    EXPECT_EQ(ProblemFile({ab}), file);
}

TEST(VolgaFormat, EmptyDatabaseIs186Bytes)
{
    const std::string file = ProblemFile({});
    EXPECT_EQ(file.size(), 186u);
    EXPECT_EQ(file, TableFile(0, 11, ProblemDescription()));
    TVolgaTable table;
    table.OpenFromBuffer(file);
    EXPECT_EQ(table.RecordCount(), 0);
    EXPECT_TRUE(table.Eof());
}

TEST(VolgaFormat, LoadFailuresCarryTheirReason)
{
    const std::string prefix = "vtblProblem: Error opening table: ";
    const std::string smallInt = "XXX.A l";
    struct Case {
        const char* what;
        std::string bytes;
        std::string reason;
    } cases[] = {
        {"empty file", "", "Buffer structure corruption!"},
        {"cut in block length", std::string("\x05\0", 2), "Buffer structure corruption!"},
        {"cut after kind", Int32(5) + "S", "Buffer structure corruption!"},
        {"cut in description", TableFile(0, 11, ProblemDescription()).substr(0, 100), "Buffer structure corruption!"},
        {"negative description length", Int32(0) + "S" + Int32(0) + Int32(0) + Int32(-1), "Buffer structure corruption!"},
        {"error kind", Int32(0) + "E" + std::string("disk was full\0rest", 18), "disk was full"},
        {"password kind", TableFile(0, 11, ProblemDescription(), "", 'P'), "Password-protected tables are not supported"},
        {"entry without separator", TableFile(0, 1, "XXX.A f\x14"), "Error in buffer structure (field description section)"},
        {"empty entry", TableFile(0, 1, "\x12\x14"), "Error in buffer structure (field description section)"},
        {"entry without type", TableFile(0, 1, "XXX.A\x12\x14"), "Error in buffer structure (field description section)"},
        {"second entry missing", TableFile(0, 2, Description({"XXX.A f"})), "Error in buffer structure (field description section)"},
        {"string length not decimal", OneField("XXX.A s2x", "", 0), "Buffer structure corruption!"},
        {"string length too large", OneField("XXX.A s99999", "", 0), "Buffer structure corruption!"},
        {"SmallInt header 3", OneField("XXX.A l", std::string("\x03", 1) + "abc", 1), "Field 'A' has wrong length 3 in record 1"},
        {"SmallStr header above n", OneField("XXX.A 2", "\x03" "abc", 1), "Field 'A' has wrong length 3 in record 1"},
        {"String header 2", OneField("XXX.A s", std::string("\x00\x02xx", 4), 2), "Field 'A' has wrong length 2 in record 2"},
        {"String too long", OneField("XXX.A s", std::string("\x04", 1) + Int32(1) + "x" + "\x04" + Int32(8192), 2),
         "String field 'A' has wrong length 8192 in record 2"},
        {"String negative", OneField("XXX.A s", "\x04" + Int32(-1), 1), "String field 'A' has wrong length -1 in record 1"},
        {"BLOB of 1 GiB", OneField("XXX.A o", "\x04" + Int32(1 << 30), 1), "BLOB field 'A' has wrong length 1073741824 in record 1"},
        {"BLOB larger than the file", OneField("XXX.A m", "\x04" + Int32((1 << 30) - 1) + "short", 1), "Unexpected end of buffer"},
        {"cut inside a value", OneField("XXX.A f", "\x08" "1234", 1), "Unexpected end of buffer"},
        {"cut inside a length", OneField("XXX.A m", "\x04" "12", 1), "Unexpected end of buffer"},
        {"cut inside the notes", OneField("XXX.A f", "*" + Int16(10) + "abc", 0), "Unexpected end of buffer"},
        {"fewer records", OneField(smallInt.c_str(), std::string(3, '\0'), 5),
         "Number of records read (3) does not match declared record count (5)"},
        {"cut inside a header", TableFile(2, 11, ProblemDescription(), std::string(11 + 5, '\0')),
         "Number of records read (1) does not match declared record count (2)"},
        {"negative record count", OneField("XXX.A f", "", -1), "Number of records read (0) does not match declared record count (-1)"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LoadError(c.bytes), prefix + c.reason) << c.what;
}

TEST(VolgaFormat, ZeroNumbersAndEmptyTextsStoreNothing)
{
    TProblemRow row = NewProblemRow();
    row.ProblemName = "Z";
    row.YPoints = 0;
    row.ShowChart = false;
    const std::string file = ProblemFile({row});
    ASSERT_EQ(file.size(), 186u + 11 + 1 + 2); // header, "Z", XPoints
    EXPECT_EQ(file.substr(186, 11), std::string("\x01\0\0\0\0\x02\0\0\0\0\0", 11));

    TVolgaTable table;
    table.OpenFromBuffer(file);
    EXPECT_EQ(table.AsInteger("YPoints"), 0);
    EXPECT_FALSE(table.IsNull("YPoints"));
    EXPECT_FALSE(table.AsBoolean("ShowChart"));
    EXPECT_FALSE(table.IsNull("ShowChart"));
    EXPECT_TRUE(table.IsNull("Yparameter"));
    EXPECT_TRUE(table.IsNull("Functs"));
}

TEST(VolgaFormat, TypeCharactersAndDeclaredLengths)
{
    const std::string file = TableFile(0, 8, Description({"A.a K", "b Z", "XXX.c 1", "XXX.d s20", "XXX.e s", "x.y.f t",
                                                          "XXX.g a", "XXX.h r"}));
    TVolgaTable table;
    table.OpenFromBuffer(file);
    struct Expect {
        const char* name;
        const char* prefix;
        TFieldType type;
        int declared;
        int slot;
    } expected[] = {
        {"a", "A", TFieldType::SmallStr, 20, 21}, {"b", "XXX", TFieldType::SmallStr, 35, 36},
        {"c", "XXX", TFieldType::SmallStr, 1, 2}, {"d", "XXX", TFieldType::String, 20, 4},
        {"e", "XXX", TFieldType::String, 100, 4}, {"y.f", "x", TFieldType::DateTime, 0, 8},
        {"g", "XXX", TFieldType::AutoInc, 0, 4},  {"h", "XXX", TFieldType::FmtMemo, 0, 8},
    };
    ASSERT_EQ(table.Fields().size(), std::size(expected));
    std::uint32_t offset = 0;
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        const TVolgaField& f = table.Fields()[i];
        EXPECT_EQ(f.Name, expected[i].name);
        EXPECT_EQ(f.Prefix, expected[i].prefix);
        EXPECT_EQ(f.FieldType, expected[i].type) << f.Name;
        EXPECT_EQ(f.DeclaredSize, expected[i].declared) << f.Name;
        EXPECT_EQ(f.SlotSize, expected[i].slot) << f.Name;
        EXPECT_EQ(f.SlotOffset, offset) << f.Name;
        offset += f.SlotSize;
    }
    EXPECT_EQ(table.SaveToBuffer(), file);
}

TEST(VolgaFormat, NotesAndTrailingBytes)
{
    const std::string notes = "*" + Int16(5) + "notes";
    const std::string withNotes = TableFile(1, 11, ProblemDescription(), notes + WorkedExampleRecord());
    TVolgaTable table;
    table.OpenFromBuffer(withNotes);
    EXPECT_EQ(table.Notes(), "notes");
    EXPECT_EQ(table.AsString("ProblemName"), "AB");
    EXPECT_EQ(table.SaveToBuffer(), withNotes);

    // Bytes after the last declared record are ignored and not written back.
    table.OpenFromBuffer(WorkedExample() + "garbage");
    EXPECT_EQ(table.SaveToBuffer(), WorkedExample());

    // Notes are read only when a record header's worth of bytes remains, so
    // short notes of a table without records are not read (and the next save drops them).
    struct Case {
        std::string notes;
        std::string read;
    } cases[] = {{"12345678", "12345678"}, {"1234567", ""}, {std::string("ab\0cdefgh", 10), "ab"}};
    for (const Case& c : cases) {
        const std::string block = "*" + Int16(static_cast<std::int16_t>(c.notes.size())) + c.notes;
        table.OpenFromBuffer(TableFile(0, 11, ProblemDescription(), block));
        EXPECT_EQ(table.Notes(), c.read) << c.notes;
    }
}

TEST(VolgaFormat, ShortValuesFillTheStartOfTheSlot)
{
    TVolgaTable table;
    table.OpenFromBuffer(OneField("XXX.A i", std::string("\x01\x07", 2), 1));
    EXPECT_EQ(table.AsInteger("A"), 7);
    // Written back whole.
    EXPECT_EQ(table.SaveToBuffer(), OneField("XXX.A i", "\x04" + Int32(7), 1));
}

TEST(VolgaFormat, VisibleOrderIsUnsignedBytewiseShorterFirst)
{
    std::vector<TProblemRow> rows;
    for (const char* name : {"b", "B", "a", "", "ab", "\xFF", "z"})
        rows.push_back(Problem(name));
    TVolgaTable table;
    table.IndexFieldNames = "ProblemName";
    table.OpenFromBuffer(ProblemFile(rows));
    std::vector<std::string> shown;
    for (table.First(); !table.Eof(); table.Next())
        shown.push_back(table.AsString("ProblemName"));
    EXPECT_EQ(shown, (std::vector<std::string>{"", "B", "a", "ab", "b", "z", "\xFF"}));
    // Saving keeps the physical order.
    EXPECT_EQ(table.SaveToBuffer(), ProblemFile(rows));
}

TEST(VolgaFormat, AutoIncOrdersRowsAndNumbersNewOnes)
{
    const std::string records = std::string("\x04", 1) + Int32(7) + "\x04" + Int32(3);
    TVolgaTable table;
    table.OpenFromBuffer(TableFile(2, 1, Description({"XXX.Id a"}), records));
    EXPECT_EQ(table.AsInteger("Id"), 3);
    table.Insert();
    table.Post();
    EXPECT_EQ(table.AsInteger("Id"), 8);
    EXPECT_EQ(table.SaveToBuffer(),
              TableFile(3, 1, Description({"XXX.Id a"}), "\x04" + Int32(3) + "\x04" + Int32(7) + "\x04" + Int32(8)));
}

TEST(VolgaFormat, EveryTypeRoundTrips)
{
    const std::string description =
        Description({"XXX.s l", "XXX.i i", "XXX.b b", "XXX.f f", "XXX.c c", "XXX.d d", "XXX.v v", "XXX.t t", "XXX.a a",
                     "XXX.k 5", "XXX.str s30", "XXX.o o", "XXX.m m", "XXX.r r", "XXX.g g"});
    const std::string record = std::string("\x02\x04\x02\x08\x08\x04\x04\x08\x04\x03\x04\x04\x04\x04\x04", 15) +
                               Int16(-2) + Int32(-100000) + Int16(1) + Float64(-1.5) + Float64(2.25) + Int32(738000) +
                               Int32(3600000) + Float64(1e12) + Int32(1) + "abc" + Int32(3) + "str" + Int32(3) +
                               std::string("\0\1\2", 3) + Int32(2) + "\r\n" + Int32(1) + "r" + Int32(1) + "g";
    const std::string file = TableFile(1, 15, description, record);
    TVolgaTable table;
    table.OpenFromBuffer(file);
    EXPECT_EQ(table.AsInteger("s"), -2);
    EXPECT_EQ(table.AsInteger("i"), -100000);
    EXPECT_EQ(table.AsFloat("c"), 2.25);
    EXPECT_EQ(table.AsInteger("d"), 738000);
    EXPECT_EQ(table.AsString("k"), "abc");
    EXPECT_EQ(table.AsString("o"), std::string("\0\1\2", 3));
    EXPECT_EQ(table.SaveToBuffer(), file);
}

TEST(VolgaFormat, DescriptionEndsAfterFEntriesOrWhenUsedUp)
{
    struct Case {
        const char* what;
        std::string file;
        std::vector<std::string> fields; // names parsed
        std::int64_t first;              // the value of the first field in the first record
        std::string saved;               // the file written back
    } cases[] = {
        // More entries than F: only F are parsed, the section is written back whole.
        {"two entries, F 1", TableFile(1, 1, Description({"XXX.A l", "XXX.B l"}), "\x02" + Int16(5)), {"A"}, 5,
         TableFile(1, 1, Description({"XXX.A l", "XXX.B l"}), "\x02" + Int16(5))},
        // The section is used up after one entry: a record still has F header bytes,
        // those of unparsed fields are ignored and written back as zero.
        {"one entry, F 2", TableFile(1, 2, "XXX.A l\x12", std::string("\x02\x07", 2) + Int16(5)), {"A"}, 5,
         TableFile(1, 2, "XXX.A l\x12", std::string("\x02\x00", 2) + Int16(5))},
        // No entries at all: records are header bytes only.
        {"no section, F 3", TableFile(2, 3, "", std::string("\x01\x02\x03\0\0\0", 6)), {}, 0,
         TableFile(2, 3, "", std::string(6, '\0'))},
    };
    for (const Case& c : cases) {
        TVolgaTable table;
        table.OpenFromBuffer(c.file);
        std::vector<std::string> names;
        for (const TVolgaField& f : table.Fields())
            names.push_back(f.Name);
        EXPECT_EQ(names, c.fields) << c.what;
        if (!names.empty()) {
            EXPECT_EQ(table.AsInteger(0), c.first) << c.what;
        }
        EXPECT_EQ(table.SaveToBuffer(), c.saved) << c.what;
    }
}
