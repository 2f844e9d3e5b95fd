#pragma once
// Builders of table files byte by byte, for the loader's tests.
#include "store/ProblemRow.h"
#include "store/VolgaTbl.h"

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <initializer_list>
#include <string>
#include <vector>

namespace solvane::test {

inline std::string Int32(std::int32_t v)
{
    std::string s(4, '\0');
    std::memcpy(s.data(), &v, 4);
    return s;
}
inline std::string Int16(std::int16_t v)
{
    std::string s(2, '\0');
    std::memcpy(s.data(), &v, 2);
    return s;
}
inline std::string Float64(double v)
{
    std::string s(8, '\0');
    std::memcpy(s.data(), &v, 8);
    return s;
}

inline std::string Description(std::initializer_list<const char*> entries)
{
    std::string d;
    for (const char* e : entries)
        d += std::string(e) + '\x12';
    return d + '\x14';
}

inline const std::string& ProblemDescription()
{
    static const std::string d = Description({"XXX.ProblemName K", "XXX.Ymin f", "XXX.Ymax f", "XXX.Zvalue f",
                                              "XXX.YPoints l", "XXX.XPoints l", "XXX.ShowMosaicDiagram b",
                                              "XXX.ShowChart b", "XXX.Functs m", "XXX.Yparameter K",
                                              "XXX.Zparameter K"});
    return d;
}

// A file with the given head values; records are appended raw.
inline std::string TableFile(std::int32_t records, std::int32_t fields, const std::string& description,
                             const std::string& rest = {}, char kind = 'S')
{
    std::string head = Int32(0) + kind + Int32(records) + Int32(fields) +
                       Int32(static_cast<std::int32_t>(description.size())) + description + rest;
    std::memcpy(head.data(), Int32(static_cast<std::int32_t>(head.size())).data(), 4);
    return head;
}

// The worked example: problem AB, 241 bytes.
inline std::string WorkedExampleRecord()
{
    return std::string("\x02\x00\x08\x08\x02\x02\x00\x02\x04\x0b\x01", 11) + "AB" + Float64(1000) + Float64(1) +
           Int16(100) + Int16(100) + Int16(1) + Int32(4) + "GL=0" + "Temperature" + "P";
}
inline std::string WorkedExample() { return TableFile(1, 11, ProblemDescription(), WorkedExampleRecord()); }

inline TProblemRow Problem(const std::string& name, const std::string& y = "Temperature", double z = 1)
{
    TProblemRow row = NewProblemRow();
    row.ProblemName = name;
    row.Yparameter = y;
    row.Zparameter = y == "Pressure" ? "T" : "P";
    row.Zvalue = z;
    row.Ymin = 300;
    row.Ymax = 1000;
    row.Functs = "GL=0\r\nGS=1";
    return row;
}

inline std::string ProblemFile(const std::vector<TProblemRow>& problems)
{
    TVolgaTable table;
    BuildProblemDatabase(table, problems);
    return table.SaveToBuffer();
}

// A fresh folder under the system's temporary folder, removed at the end of the test.
class TTempDir {
public:
    TTempDir()
    {
        static int counter = 0;
        m_path = std::filesystem::temp_directory_path() /
                 ("solvane_store_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
                  std::to_string(counter++) + "_" + std::to_string(reinterpret_cast<std::uintptr_t>(this)));
        std::filesystem::create_directories(m_path);
    }
    ~TTempDir() { std::filesystem::remove_all(m_path); }
    std::string File(const std::string& name) const { return (m_path / name).string(); }
    std::vector<std::string> Entries() const
    {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(m_path))
            names.push_back(e.path().filename().string());
        return names;
    }

private:
    std::filesystem::path m_path;
};

inline void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}
inline std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace solvane::test
