#include "session/Settings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace solvane;

namespace {

std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

struct TempDir {
    std::filesystem::path path;
    TempDir()
    {
        path = std::filesystem::temp_directory_path() /
               ("solvane-settings-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
    }
    ~TempDir() { std::filesystem::remove_all(path); }
};

} // namespace

TEST(Settings, ReadFromBytes)
{
    struct Case {
        const char* name;
        std::string bytes;
        int top, left, width, height;
        std::string file;
        std::uint32_t color;
    };
    const Case cases[] = {
        {"no file: designed bounds", "", 25, 57, 877, 678, "Problems.d", 12639424},
        {"another section only", "[OTHER]\r\nTop=5\r\n", 25, 57, 877, 678, "Problems.d", 12639424},
        {"all keys", "[SETTINGS]\r\nTop=10\r\nHeight=500\r\nLeft=20\r\nWidth=700\r\nWorkingFileName=a b.d\r\nMDcolor=255\r\n",
         10, 20, 700, 500, "a b.d", 255},
        {"keys without case, LF lines, blanks", "[settings]\ntop = 3\nLEFT=4\nwidth=5\nheight=6\nmdCOLOR=7\n", 3, 4, 5, 6,
         "Problems.d", 7},
        {"empty section: key defaults", "[SETTINGS]\r\n", 0, 0, 660, 532, "Problems.d", 12639424},
        {"unreadable numbers", "[SETTINGS]\r\nTop=x\r\nHeight=1.5\r\nLeft=99999999999\r\nWidth=\r\n", 0, 0, 660, 532,
         "Problems.d", 12639424},
        {"MDcolor 0 and an empty name are replaced", "[SETTINGS]\r\nWorkingFileName=\r\nMDcolor=0\r\n", 0, 0, 660, 532,
         "Problems.d", 12639424},
        {"keys of other sections are not read", "[A]\r\nTop=1\r\n[SETTINGS]\r\nLeft=2\r\n[B]\r\nWidth=3\r\n", 0, 2, 660,
         532, "Problems.d", 12639424},
        {"the first of a repeated key", "[SETTINGS]\r\nTop=1\r\nTop=2\r\n", 1, 0, 660, 532, "Problems.d", 12639424},
        {"negative placement", "[SETTINGS]\r\nTop=-8\r\nLeft=-1920\r\n", -8, -1920, 660, 532, "Problems.d", 12639424},
    };
    for (const Case& c : cases) {
        const TSettings s = ParseSettings(c.bytes);
        EXPECT_EQ(s.Top, c.top) << c.name;
        EXPECT_EQ(s.Left, c.left) << c.name;
        EXPECT_EQ(s.Width, c.width) << c.name;
        EXPECT_EQ(s.Height, c.height) << c.name;
        EXPECT_EQ(s.WorkingFileName, c.file) << c.name;
        EXPECT_EQ(s.MDcolor, c.color) << c.name;
    }
}

TEST(Settings, WrittenBytes)
{
    TSettings s;
    s.Top = 30;
    s.Height = 700;
    s.Left = -4;
    s.Width = 900;
    s.WorkingFileName = "/data/Problems.d";
    s.MDcolor = 0x00C0DCC0;
    const std::string section = "[SETTINGS]\r\nTop=30\r\nHeight=700\r\nLeft=-4\r\nWidth=900\r\n"
                                "WorkingFileName=/data/Problems.d\r\nMDcolor=12639424\r\n\r\n";
    EXPECT_EQ(WriteSettings("", s), section);
    // The old section goes wherever it stood; the others stay as they were.
    EXPECT_EQ(WriteSettings("[A]\r\nx=1\r\n\r\n[Settings]\r\nTop=1\r\nOld=2\r\n\r\n[B]\r\ny=2\r\n", s),
              "[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n" + section);
    // What is written reads back the same.
    const TSettings back = ParseSettings(WriteSettings("", s));
    EXPECT_EQ(back.Top, 30);
    EXPECT_EQ(back.Left, -4);
    EXPECT_EQ(back.WorkingFileName, "/data/Problems.d");
    EXPECT_EQ(back.MDcolor, 0x00C0DCC0u);
}

TEST(Settings, SavedBesideTheProgramOrWhereTheyWereRead)
{
    TempDir dir;
    const auto program = dir.path / "bin";
    const auto current = dir.path / "work";
    std::filesystem::create_directories(program);
    std::filesystem::create_directories(current);
    TSettings s;
    s.WorkingFileName = "x.d";

    EXPECT_FALSE(SaveSettingsBesideProgram(program.string(), current.string(), s));
    EXPECT_EQ(LoadSettings((program / kSettingsFileName).string()).WorkingFileName, "x.d");
    EXPECT_FALSE(std::filesystem::exists(current / kSettingsFileName));

    // A program folder that cannot take the file: the current directory does.
    const auto missing = dir.path / "no-such-folder";
    EXPECT_FALSE(SaveSettingsBesideProgram(missing.string(), current.string(), s));
    EXPECT_EQ(ReadFile(current / kSettingsFileName), WriteSettings("", s));
    // Neither: the first folder's error is returned, nothing is written.
    const auto error = SaveSettingsBesideProgram(missing.string(), (dir.path / "also-missing").string(), s);
    ASSERT_TRUE(error);
    EXPECT_FALSE(error->empty());
}
