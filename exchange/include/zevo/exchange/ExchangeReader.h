#pragma once
// The reader of the exchange text: splits a file's text into sheet blocks and
// writes their values into the sheets' data files, merged into the open
// declaration or replacing it from the blank sheet documents.
//
// An import is all or nothing: every sheet's new document is built first, then
// the data files are replaced together, so a refused or failed import leaves every
// data file as it was. Exchange files are untrusted: a sheet block must be exactly
// the grammar's elements (no prolog, DTD, attributes, comments or entities beyond
// the five escapes) or the file is refused with "0072".
#include <optional>
#include <string>
#include <vector>

#include "zevo/Xml.h"
#include "zevo/grid/Spread.h"

namespace zevo::exchange {

// Messages of the reader.
namespace msg {
inline constexpr const char* kBadFile = "0072";
inline constexpr const char* kValueCount = "0070";
inline constexpr const char* kTooManyRows = "0102";
inline constexpr const char* kOtherTaxCode = "0108";
inline constexpr const char* kOtherTaxOffice = "0109";
}  // namespace msg

// A parsed sheet block: per section block the texts of its row blocks, as the
// parser gave them (entities resolved, U+0014 still shielded; see ExchangeText.h).
struct SheetBlock {
    std::vector<std::vector<std::string>> sections;
};

// Parses one sheet block; nullopt when it is not well-formed or not the grammar.
std::optional<SheetBlock> parseSheetBlock(const std::string& block);

class ExchangeReader {
public:
    // The grid converts the identifiers' column letters; it is not changed.
    explicit ExchangeReader(grid::Spread& grid) : grid_(grid) {}

    // The sheet blocks, entry k for sheet entry k of the validity node (0-based
    // here), "" for a sheet the file does not hold; nullopt when the text is
    // invalid (anything left outside the blocks). Sets every entry's "Active":
    // "1" for the sheets found, "0" for the others.
    std::optional<std::vector<std::string>> GetSheetDatas(const std::string& text);

    // Writes the file's values into the data files of the sheets it holds.
    bool RestoreDataFile(const std::string& text, bool merge);

    bool GetSections(const xml::Node& sections, const SheetBlock& block, bool merge);
    // `rows`: the section block's row blocks, or null when the section gets none.
    bool GetSection(const xml::Node& section, const std::vector<std::string>* rows, bool merge);
    bool GetCells(const xml::Node& cells, const std::string& row, bool merge);
    int CountReceiveCells(const xml::Node& cells) const;

    // Appends one row group to a dynamic section, a copy of its last one placed
    // below it; the identifiers below move down by the group's height.
    void AppendSectionRow(const xml::Node& section);
    // The same as `count` single appends, with the identifiers below moved once.
    void AppendSectionRows(const xml::Node& section, int count);

    // The merge identity check runs once per import; the import clears the mark.
    void clearIdentityCheck() { identityChecked_ = false; }
    bool identityChecked() const { return identityChecked_; }

    // The data files the last successful RestoreDataFile wrote.
    const std::vector<std::string>& writtenFiles() const { return written_; }

private:
    bool checkIdentity(const xml::Node& cells);

    grid::Spread& grid_;
    const SheetBlock* block_ = nullptr;   // the sheet block being written back
    bool identityChecked_ = false;
    std::vector<std::string> written_;
};

}  // namespace zevo::exchange
