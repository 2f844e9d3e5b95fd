// Sample databases, good and damaged, kept beside the tests with the outcome
// each must have (data/expected.txt: file name, a tab, "OK" or the message).
#include "store/ProblemTable.h"
#include "store/SafeFile.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace solvane;

TEST(SampleFiles, EachOpensOrFailsAsListed)
{
    const std::string folder = SOLVANE_STORE_DATA;
    std::ifstream list(folder + "/expected.txt");
    ASSERT_TRUE(list);
    std::string line;
    int checked = 0;
    while (std::getline(list, line)) {
        const std::size_t tab = line.find('\t');
        if (line.empty() || line[0] == '#' || tab == std::string::npos)
            continue;
        const std::string name = line.substr(0, tab), expected = line.substr(tab + 1);
        std::string bytes;
        ASSERT_TRUE(ReadWholeFile(folder + "/" + name, bytes)) << name;
        TMessageRecorder messages;
        TProblemTable problems(messages);
        std::string outcome = "OK";
        try {
            problems.Table().OpenFromBuffer(bytes);
        } catch (const EDatabaseError& e) {
            outcome = e.what();
        }
        EXPECT_EQ(outcome, expected) << name;
        ++checked;
    }
    EXPECT_GT(checked, 5);
}
