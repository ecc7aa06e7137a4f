#pragma once
// A payroll export as the list import reads it: the first sheet of an .xlsx
// workbook, or a CSV file (UTF-8, UTF-16 by its byte-order mark, otherwise
// Windows-1258 when the bytes are not UTF-8), as rows of cell texts; the fields
// of the individuals list; the guess of which column holds which field from the
// header texts; and the date forms payroll files use.
#include <optional>
#include <string>
#include <vector>

namespace zevo::engine {

// ---- the file ----

struct SourceTable {
    // Cell texts by file row (index 0 = the file's row 1), trimmed, in Unicode NFC;
    // a row is as long as its last non-empty cell. Date cells of a workbook are
    // already "dd/mm/yyyy".
    std::vector<std::vector<std::string>> rows;
    // "xlsx" or "CSV " + the encoding found ("UTF-8", "UTF-16LE", "Windows-1258"...).
    std::string format;
    // Index of the header row (guessed when the file is read); -1 when none. The
    // rows above it are titles, not data.
    int headerRow = -1;

    int columnCount() const;
    const std::string& cell(int row, int col) const;   // "" outside the table
};

// Throws RuntimeError (53 file not found, 321 not a workbook, 13 not a table) with
// a readable reason. An .xlsx (by its name) is read with the grid's reader, any
// other file as CSV.
SourceTable readSourceTable(const std::string& path);

// CSV bytes as UTF-8 text: a byte-order mark decides (UTF-8, UTF-16LE, UTF-16BE);
// without one, bytes that are valid UTF-8 are UTF-8 and others Windows-1258.
// `encoding` receives the name of what was found.
std::string decodeText(const std::string& bytes, std::string& encoding);

// Records of CSV text: the separator is the one of ",", ";" and tab found most
// often in the first line outside quotes; quoted fields may hold separators,
// doubled quotes and line breaks.
std::vector<std::vector<std::string>> parseCsv(const std::string& text);

// ---- the list's fields ----

enum class FieldKind { Text, Digits, TaxCode, Date, Pick, Province, District, Ward };

struct ListField {
    const char* key;       // the name on the command line ("name", "birth"...)
    const char* column;    // the list column on the sheet ("K")
    const char* caption;   // what the dialog shows
    FieldKind kind;
    int address;           // 1 permanent, 2 current address, 0 neither
};

// Every field of a row of the individuals list, in the order the columns are typed.
const std::vector<ListField>& listFields();
// Index of a field by its key; -1 when unknown.
int fieldIndex(const std::string& key);

// Source column (0-based) per field index; -1 = not imported.
using ColumnMapping = std::vector<int>;

// The columns whose header texts name a field, with or without diacritics, in any
// case ("Họ và tên", "HO TEN", "Số CMND/CCCD", "Tỉnh/TP thường trú"...). A second
// column of an address field without a word telling which address goes to the
// current address; a second "Ngày cấp" to the passport.
ColumnMapping guessMapping(const std::vector<std::string>& header);
// The row among the first ten whose texts name the most fields (at least two);
// -1 when none does: the file has no header and every row is data.
int guessHeaderRow(const SourceTable& table);

// "name=B,birth=C" (field keys, column letters) into a mapping; nullopt with the
// reason in `error` for an unknown field, a bad column or a field given twice.
std::optional<ColumnMapping> parseMapping(const std::string& text, std::string& error);
// The mapping as "name=B,birth=C", in field order.
std::string formatMapping(const ColumnMapping& mapping);

// ---- dates ----

struct DateResult {
    std::string text;     // "dd/mm/yyyy" when the date was read
    std::string reason;   // why not, otherwise
};
// dd/mm/yyyy (also with "-" or "."), yyyy-mm-dd (a time after it is ignored) and
// spreadsheet serial day numbers (10000 and above, from 30/12/1899); years after
// 1900 with all four digits, real calendar days only.
DateResult readDate(const std::string& text);
// The day of a spreadsheet serial number as "dd/mm/yyyy"; "" out of range.
std::string serialToDate(double serial);

}  // namespace zevo::engine
