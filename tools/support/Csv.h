#pragma once
// Reading UTF-8 CSV with a header row and RFC 4180 quoting.
#include <string>
#include <vector>

namespace zevo::tools {

struct CsvTable {
    std::vector<std::string> header;
    std::vector<std::vector<std::string>> rows;
    // Index of a header column; throws std::runtime_error when missing.
    std::size_t column(const std::string& name) const;
};

// Parses CSV text; throws std::runtime_error on an unterminated quote or a row
// whose field count differs from the header's.
CsvTable parseCsv(const std::string& text, const std::string& origin = "csv");
CsvTable readCsvFile(const std::string& path);

}  // namespace zevo::tools
