#include "Csv.h"

#include "XmlText.h"

#include <stdexcept>

namespace zevo::tools {

std::size_t CsvTable::column(const std::string& name) const {
    for (std::size_t i = 0; i < header.size(); ++i)
        if (header[i] == name) return i;
    throw std::runtime_error("CSV column missing: " + name);
}

CsvTable parseCsv(const std::string& text, const std::string& origin) {
    std::vector<std::vector<std::string>> records;
    std::vector<std::string> record;
    std::string field;
    bool quoted = false, fieldStarted = false;
    std::size_t line = 1;
    std::size_t i = 0;
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) i = 3;   // byte-order mark
    auto endRecord = [&] {
        record.push_back(field);
        field.clear();
        fieldStarted = false;
        if (!(record.size() == 1 && record[0].empty())) records.push_back(record);
        record.clear();
    };
    for (; i < text.size(); ++i) {
        char c = text[i];
        if (quoted) {
            if (c == '"') {
                if (i + 1 < text.size() && text[i + 1] == '"') {
                    field += '"';
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                if (c == '\n') ++line;
                field += c;
            }
            continue;
        }
        if (c == '"' && !fieldStarted) {
            quoted = true;
            fieldStarted = true;
        } else if (c == ',') {
            record.push_back(field);
            field.clear();
            fieldStarted = false;
        } else if (c == '\r') {
            // line end of a CRLF file
        } else if (c == '\n') {
            endRecord();
            ++line;
        } else {
            field += c;
            fieldStarted = true;
        }
    }
    if (quoted) throw std::runtime_error(origin + ": unterminated quoted field near line " + std::to_string(line));
    if (fieldStarted || !record.empty()) endRecord();
    CsvTable table;
    if (records.empty()) throw std::runtime_error(origin + ": empty file");
    table.header = records.front();
    for (std::size_t r = 1; r < records.size(); ++r) {
        if (records[r].size() != table.header.size())
            throw std::runtime_error(origin + ": record " + std::to_string(r + 1) + " has " +
                                     std::to_string(records[r].size()) + " fields, expected " +
                                     std::to_string(table.header.size()));
        table.rows.push_back(std::move(records[r]));
    }
    return table;
}

CsvTable readCsvFile(const std::string& path) { return parseCsv(readTextFile(path), path); }

}  // namespace zevo::tools
