// Saving replaces the file only when the new content is complete.
#include "store/SafeFile.h"
#include "StoreTestFiles.h"

#include <gtest/gtest.h>

#include <sstream>
#include <streambuf>

using namespace solvane;
using namespace solvane::test;

namespace {

// A stream that accepts `room` bytes and then fails, as a full disk does.
class TFullDisk : public std::streambuf {
public:
    explicit TFullDisk(std::size_t room) : m_room(room) {}

protected:
    std::streamsize xsputn(const char*, std::streamsize n) override
    {
        const auto taken = std::min<std::streamsize>(n, static_cast<std::streamsize>(m_room));
        m_room -= static_cast<std::size_t>(taken);
        return taken;
    }
    int_type overflow(int_type c) override
    {
        if (m_room == 0)
            return traits_type::eof();
        --m_room;
        return c;
    }

private:
    std::size_t m_room;
};

class TFullDiskStream : public std::ostream {
public:
    explicit TFullDiskStream(std::size_t room) : std::ostream(&m_buffer), m_buffer(room) {}

private:
    TFullDisk m_buffer;
};

} // namespace

TEST(SafeFile, FailedSavesLeaveTheOldFileAsItWas)
{
    TTempDir dir;
    const std::string target = dir.File("Problems.d");
    WriteBytes(target, "old content");

    for (std::size_t room : {0u, 5u, 100u}) {
        const TOutputOpener fullDisk = [room](const std::string& path) -> std::unique_ptr<std::ostream> {
            WriteBytes(path, ""); // the temporary file exists, as a real one would
            return std::make_unique<TFullDiskStream>(room);
        };
        try {
            ReplaceFile(target, std::string(200, 'x'), fullDisk);
            FAIL() << room;
        } catch (const std::runtime_error& e) {
            EXPECT_EQ(std::string(e.what()).rfind("Cannot write file " + target + ": ", 0), 0u) << e.what();
        }
        EXPECT_EQ(ReadBytes(target), "old content");
        EXPECT_EQ(dir.Entries(), std::vector<std::string>{"Problems.d"}); // no temporary file left
    }

    const TOutputOpener cannotOpen = [](const std::string&) { return std::unique_ptr<std::ostream>(); };
    EXPECT_THROW(ReplaceFile(target, "new", cannotOpen), std::runtime_error);
    EXPECT_EQ(ReadBytes(target), "old content");

    ReplaceFile(target, "new content");
    EXPECT_EQ(ReadBytes(target), "new content");
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"Problems.d"});
}

TEST(SafeFile, TableSaveIntoAMissingFolderReportsTheSystemError)
{
    TTempDir dir;
    TVolgaTable table("vtblProblem");
    table.OpenFromBuffer(WorkedExample());
    const std::string target = dir.File("no such folder/Problems.d");
    try {
        table.SaveToFile(target);
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(std::string(e.what()), "vtblProblem: Cannot create file " + target + ": No such file or directory");
    }
    table.SaveToFile(dir.File("Problems.d"));
    EXPECT_EQ(ReadBytes(dir.File("Problems.d")), WorkedExample());
}

TEST(SafeFile, ReadWholeFile)
{
    TTempDir dir;
    std::string bytes;
    EXPECT_FALSE(ReadWholeFile(dir.File("missing"), bytes));
    EXPECT_FALSE(ReadWholeFile(dir.File(""), bytes)); // a folder
    WriteBytes(dir.File("f"), std::string("a\0b", 3));
    ASSERT_TRUE(ReadWholeFile(dir.File("f"), bytes));
    EXPECT_EQ(bytes, std::string("a\0b", 3));
}
