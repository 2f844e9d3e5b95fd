#pragma once
// The cell grid of a run: texts addressed (col, row) as the grid window shows
// them. Column 0 holds the Y values, row 0 the header. Cells are stored as
// indices into the distinct texts, since a grid of a million cells holds only a
// handful of different phase names.
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace solvane {

class CellGrid {
public:
    int ColCount() const { return cols_; }
    int RowCount() const { return rows_; }

    // Resizing keeps the cells that stay inside; new cells are empty.
    void SetColCount(int cols);
    void SetRowCount(int rows);
    void SetSize(int cols, int rows);
    void Clear(); // no cells at all

    // Out-of-range cells read as the empty text.
    const std::string& Cell(int col, int row) const;
    // Out-of-range writes are ignored.
    void SetCell(int col, int row, std::string_view text);

    // The hot path of a run: intern each distinct text once, then write cells
    // by index without touching the text table.
    using TextId = std::uint32_t;
    TextId Intern(std::string_view text);
    void SetCellId(int col, int row, TextId id); // out-of-range writes are ignored
    // A view converts each distinct text once and then reads cells by id.
    // Out-of-range cells read as id 0 and out-of-range ids as the empty text.
    TextId CellId(int col, int row) const;
    const std::string& Text(TextId id) const { return id < texts_.size() ? texts_[id] : texts_[0]; }
    std::size_t TextCount() const { return texts_.size(); }
    // Room for this many cells, so that a grid growing row by row never
    // holds twice the memory it needs.
    void Reserve(std::size_t cells) { cells_.reserve(cells); }

    // Bytes held by the cells and the distinct texts (for memory checks).
    std::size_t MemoryBytes() const;

private:

    int cols_ = 0;
    int rows_ = 0;
    std::vector<std::uint32_t> cells_; // row-major: cells_[row * cols_ + col]
    std::vector<std::string> texts_{std::string()}; // index 0 is the empty text
    std::unordered_map<std::string, std::uint32_t> index_{{std::string(), 0}};
};

// The text of a point phase's column in the grid: "C" and the first six
// characters of its composition text ("C0.6666").
std::string PointPhaseCellText(const std::string& composition);

} // namespace solvane
