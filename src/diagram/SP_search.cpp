#include "diagram/SP_search.h"

#include <charconv>
#include <cmath>
#include <optional>

#include "expr/AsciiText.h"
#include "text/NumberFormat.h"

namespace solvane {

namespace {

const std::string kTwoPhase = "E";

bool HasPointPhaseMark(const std::string& text) { return text.find('C') != std::string::npos; }

// Upper case of a Windows-1251 byte: ASCII and the Cyrillic letters.
unsigned char UpperCp1251(unsigned char c)
{
    if (c >= 'a' && c <= 'z')
        return static_cast<unsigned char>(c - 32);
    if (c >= 0xE0) // а..я
        return static_cast<unsigned char>(c - 32);
    switch (c) {
    case 0x90: return 0x80; // ђ
    case 0x83: return 0x81; // ѓ
    case 0x9A: return 0x8A; // љ
    case 0x9C: return 0x8C; // њ
    case 0x9D: return 0x8D; // ќ
    case 0x9E: return 0x8E; // ћ
    case 0x9F: return 0x8F; // џ
    case 0xA2: return 0xA1; // ў
    case 0xBC: return 0xA3; // ј
    case 0xB4: return 0xA5; // ґ
    case 0xB8: return 0xA8; // ё
    case 0xBA: return 0xAA; // є
    case 0xBF: return 0xAF; // ї
    case 0xB3: return 0xB2; // і
    case 0xBE: return 0xBD; // ѕ
    default: return c;
    }
}

bool SameTextIgnoringCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (UpperCp1251(static_cast<unsigned char>(a[i])) != UpperCp1251(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// A header text back to the number it was written from.
std::optional<double> HeaderNumber(const std::string& text, char decimalSeparator)
{
    std::string s(TrimmedView(text));
    if (s.empty())
        return std::nullopt;
    if (decimalSeparator != '.') {
        if (s.find('.') != std::string::npos)
            return std::nullopt;
        for (char& c : s)
            if (c == decimalSeparator)
                c = '.';
    }
    double value = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (ec != std::errc() || end != s.data() + s.size())
        return std::nullopt;
    return value;
}

// The distinct non-empty texts of one row over columns first .. last.
std::vector<const std::string*> TextsIn(const CellGrid& grid, int row, int first, int last)
{
    std::vector<const std::string*> texts;
    for (int col = first; col <= last; ++col) {
        const std::string& t = grid.Cell(col, row);
        if (t.empty())
            continue;
        bool seen = false;
        for (const std::string* known : texts)
            if (*known == t) {
                seen = true;
                break;
            }
        if (!seen)
            texts.push_back(&t);
    }
    return texts;
}

class Search {
public:
    Search(const CellGrid& grid, const std::string& yName, char sep) : grid_(grid), yName_(yName), sep_(sep) {}

    SpecialPointsResult Run()
    {
        std::vector<CellRun> previous;
        for (int q = 1; q < grid_.RowCount(); ++q) {
            std::vector<CellRun> current = BuildRunList(grid_, q);
            if (q >= 2)
                ComparePair(q, previous, current);
            previous.swap(current);
        }
        return std::move(result_);
    }

private:
    std::optional<double> ColX(int col) const { return HeaderNumber(grid_.Cell(col, 0), sep_); }
    std::optional<double> RowY(int row) const { return HeaderNumber(grid_.Cell(0, row), sep_); }

    // Rows q-1 and q. The reference row is the one with more runs, the lower
    // row on equal counts.
    void ComparePair(int q, const std::vector<CellRun>& upper, const std::vector<CellRun>& lower)
    {
        const bool lowerIsRef = lower.size() >= upper.size();
        const std::vector<CellRun>& runs = lowerIsRef ? lower : upper;
        const int refRow = lowerIsRef ? q : q - 1;
        const int otherRow = lowerIsRef ? q - 1 : q;
        const int n = static_cast<int>(runs.size());
        int s = 0;
        while (s < n) {
            int examined = s;
            if (runs[s].Text == kTwoPhase && s > 0) {
                // A two-phase stretch between two different phases is passed
                // over to the phase after it; between two stretches of the
                // same phase it is examined itself.
                if (s + 1 == n)
                    return;
                examined = runs[s + 1].Text == runs[s - 1].Text ? s : s + 1;
            }
            if (Examine(runs, examined, refRow, otherRow, q))
                return;
            s = examined + 1;
        }
    }

    // True when the run yields an other special point, which ends the pair.
    bool Examine(const std::vector<CellRun>& runs, int s, int refRow, int otherRow, int q)
    {
        const CellRun& run = runs[static_cast<std::size_t>(s)];
        const auto a = TextsIn(grid_, refRow, run.FirstCol, run.LastCol);
        const auto b = TextsIn(grid_, otherRow, run.FirstCol, run.LastCol);
        for (const std::string* ta : a)
            for (const std::string* tb : b)
                if (SameTextIgnoringCase(*ta, *tb))
                    return false;
        for (const std::string* tb : b)
            if (*tb != kTwoPhase) {
                OtherPoint(run, q);
                return true;
            }
        TryNode(runs, s, refRow);
        return false;
    }

    void TryNode(const std::vector<CellRun>& runs, int s, int refRow)
    {
        const int n = static_cast<int>(runs.size());
        if (s < 2 || s > n - 3)
            return;
        const CellRun& run = runs[static_cast<std::size_t>(s)];
        const auto y = RowY(refRow);
        const auto xLeft = ColX(runs[static_cast<std::size_t>(s - 2)].LastCol);
        const auto xRight = ColX(runs[static_cast<std::size_t>(s + 2)].FirstCol);
        const auto x = ColX((run.FirstCol + run.LastCol) / 2);
        if (!y || !xLeft || !xRight || !x)
            return;
        if (!(*xLeft <= *x && *x <= *xRight))
            return;
        result_.Nodes.push_back(TNode{*y, *x, *xLeft, *xRight});
        result_.SeriesPoints.emplace_back(*xLeft, *y);
        result_.SeriesPoints.emplace_back(*x, *y);
        result_.SeriesPoints.emplace_back(*xRight, *y);
    }

    // q is the lower row of the pair, whichever row is the reference.
    void OtherPoint(const CellRun& run, int q)
    {
        const int f = run.FirstCol;
        result_.HasCurrentCell = true;
        result_.CurrentCol = f;
        result_.CurrentRow = q;

        auto x = ColX(f);
        auto y = RowY(q);
        if (!x || !y)
            return;
        if (!HasPointPhaseMark(run.Text)) {
            // A phase boundary crossed between the rows: halfway in Y, and in
            // X the middle of the two-phase cells that follow in the lower row.
            const auto yUpper = RowY(q - 1);
            if (!yUpper)
                return;
            y = (*yUpper + *y) / 2;
            if (std::fabs(*x - 1) > 1e-7 && std::fabs(*x) > 1e-7) {
                const int lastCol = grid_.ColCount() - 1;
                int k = 0;
                while (f + k + 1 < lastCol && TrimmedView(grid_.Cell(f + k + 1, q)) == kTwoPhase)
                    ++k;
                if (k > 0) {
                    const auto xEnd = ColX(f + k);
                    if (!xEnd)
                        return;
                    x = (*x + *xEnd) / 2;
                }
            }
        }
        const std::string head = yName_.empty() ? std::string() : yName_.substr(0, 1);
        result_.ListLines.push_back(head + "(X = " + FormatGeneral(*x, sep_) + ") = " + FormatGeneral(*y, sep_) + " ");
        result_.SeriesPoints.emplace_back(*x, *y);
        result_.OtherPoints.emplace_back(*x, *y);
    }

    const CellGrid& grid_;
    const std::string& yName_;
    char sep_;
    SpecialPointsResult result_;
};

} // namespace

std::vector<CellRun> BuildRunList(const CellGrid& grid, int row)
{
    std::vector<CellRun> runs;
    const int last = grid.ColCount() - 1;
    if (last < 1)
        return runs;
    runs.push_back(CellRun{1, 0, grid.Cell(1, row)});
    for (int r = 2; r <= last; ++r) {
        const std::string& t = grid.Cell(r, row);
        if (t == runs.back().Text)
            continue;
        runs.back().LastCol = r - 1;
        // Two phases that touch directly get an empty two-phase run between
        // them, so phases and "E" alternate.
        const std::string& closed = runs.back().Text;
        if (t != kTwoPhase && !HasPointPhaseMark(t) && closed != kTwoPhase && !HasPointPhaseMark(closed))
            runs.push_back(CellRun{r, r - 1, kTwoPhase});
        runs.push_back(CellRun{r, 0, t});
    }
    runs.back().LastCol = last;
    return runs;
}

SpecialPointsResult SearchSpecialPoints(const CellGrid& grid, const std::string& yQuantityName, char decimalSeparator)
{
    return Search(grid, yQuantityName, decimalSeparator).Run();
}

} // namespace solvane
