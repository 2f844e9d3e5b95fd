// Damaged files: every truncation and many flipped bytes either load or fail
// with one of the loader's messages; nothing crashes, leaks or over-allocates.
#include "store/ProblemTable.h"
#include "StoreTestFiles.h"

#include <gtest/gtest.h>

#include <regex>

using namespace solvane;
using namespace solvane::test;

namespace {

const std::regex kKnownFailure(
    "vtblProblem: (Error opening table: (Buffer structure corruption!"
    "|Error in buffer structure \\(field description section\\)"
    "|Field '.*' has wrong length -?\\d+ in record \\d+"
    "|String field '.*' has wrong length -?\\d+ in record \\d+"
    "|BLOB field '.*' has wrong length -?\\d+ in record \\d+"
    "|Unexpected end of buffer"
    "|Number of records read \\(\\d+\\) does not match declared record count \\(-?\\d+\\)"
    "|Password-protected tables are not supported"
    "|[^\\n]*)" // kind E: the text stored in the file
    "|Field '.*' not found"
    "|Type mismatch for field '.*', expecting: \\w+ actual: \\w+)",
    std::regex::ECMAScript);

// Loads bytes as the problem table and as a plain table; a loaded table must save again.
void LoadEither(const std::string& bytes, const std::string& what)
{
    TMessageRecorder messages;
    TProblemTable problems(messages);
    TVolgaTable plain("vtblProblem");
    for (TVolgaTable* table : {&problems.Table(), &plain}) {
        try {
            table->OpenFromBuffer(bytes);
            const std::string saved = table->SaveToBuffer();
            TVolgaTable again("vtblProblem");
            again.OpenFromBuffer(saved);
            EXPECT_EQ(again.SaveToBuffer(), saved) << what;
        } catch (const EDatabaseError& e) {
            EXPECT_TRUE(std::regex_match(std::string(e.what()), kKnownFailure)) << what << ": " << e.what();
        }
    }
}

std::string Sample()
{
    std::vector<TProblemRow> rows = {Problem("AB"), Problem("\xC0\xE1", "Pressure", 2e-6), Problem("C", "Y")};
    rows[2].Functs.clear();
    TVolgaTable table;
    BuildProblemDatabase(table, rows);
    std::string file = table.SaveToBuffer();
    // Add a notes block after the description section.
    const std::string notes = "*" + Int16(3) + "n\0t";
    file.insert(17 + ProblemDescription().size(), notes);
    return file;
}

} // namespace

TEST(VolgaRobustness, EveryTruncationLoadsOrFailsWithAKnownMessage)
{
    const std::string file = Sample();
    for (std::size_t length = 0; length < file.size(); ++length)
        LoadEither(file.substr(0, length), "cut at " + std::to_string(length));
}

TEST(VolgaRobustness, FlippedBytesLoadOrFailWithAKnownMessage)
{
    const std::string file = Sample();
    for (std::size_t pos = 0; pos < file.size(); ++pos) {
        for (unsigned char mask : {0x01, 0x20, 0x80, 0xFF}) {
            std::string damaged = file;
            damaged[pos] = static_cast<char>(damaged[pos] ^ mask);
            LoadEither(damaged, "flip " + std::to_string(pos) + " ^ " + std::to_string(mask));
        }
    }
}

TEST(VolgaRobustness, HugeDeclaredCountsAllocateNothing)
{
    // Two billion records of a table without fields, and of a table with one.
    LoadEither(TableFile(0x7FFFFFFF, 0, "\x14"), "no fields");
    LoadEither(TableFile(0x7FFFFFFF, -5, ""), "negative field count");
    LoadEither(TableFile(0x7FFFFFFF, 1, Description({"XXX.A m"}), std::string(40, '\0')), "many records");
    LoadEither(TableFile(1, 1, Description({"XXX.A m"}), "\x04" + Int32((1 << 30) - 1)), "1 GiB memo");
}
