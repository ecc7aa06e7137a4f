#include "TestFiles.h"

#include <zip.h>

#include <cstdlib>
#include <stdexcept>

namespace zevo::grid::test {

TempFolder::TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zevo-xlsx-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempFolder::~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

void writeZip(const std::string& path, const Parts& parts) {
    int error = 0;
    zip_t* z = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!z) throw std::runtime_error("zip_open failed");
    for (const auto& [name, bytes] : parts) {
        // libzip reads the buffers at close time: keep copies alive until then.
        void* copy = std::malloc(bytes.size() ? bytes.size() : 1);
        std::copy(bytes.begin(), bytes.end(), static_cast<char*>(copy));
        zip_source_t* src = zip_source_buffer(z, copy, bytes.size(), 1);
        const zip_int64_t index = src ? zip_file_add(z, name.c_str(), src, ZIP_FL_OVERWRITE) : -1;
        // The fastest compression keeps the large test parts quick to build.
        if (index < 0 || zip_set_file_compression(z, static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE, 1) < 0) {
            zip_discard(z);
            throw std::runtime_error("zip_file_add failed");
        }
    }
    if (zip_close(z) != 0) throw std::runtime_error("zip_close failed");
}

Parts minimalWorkbook(const std::vector<std::pair<std::string, std::string>>& sheets,
                      const std::string& stylesXml, const std::string& sharedStringsXml) {
    Parts parts;
    parts.emplace_back("_rels/.rels",
                       "<?xml version=\"1.0\"?><Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                       "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" Target=\"xl/workbook.xml\"/>"
                       "</Relationships>");
    std::string workbook =
        "<?xml version=\"1.0\"?><workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
        "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"><sheets>";
    std::string rels = "<?xml version=\"1.0\"?><Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
    for (std::size_t i = 0; i < sheets.size(); ++i) {
        const std::string n = std::to_string(i + 1);
        std::string name = sheets[i].first;
        std::string state;
        if (name.rfind("hidden:", 0) == 0) {
            name = name.substr(7);
            state = " state=\"hidden\"";
        }
        workbook += "<sheet name=\"" + name + "\" sheetId=\"" + n + "\"" + state + " r:id=\"rIdS" + n + "\"/>";
        rels += "<Relationship Id=\"rIdS" + n + "\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet\" Target=\"worksheets/sheet" + n + ".xml\"/>";
        parts.emplace_back("xl/worksheets/sheet" + n + ".xml", sheets[i].second);
    }
    workbook += "</sheets></workbook>";
    if (!stylesXml.empty()) {
        rels += "<Relationship Id=\"rIdStyles\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles\" Target=\"styles.xml\"/>";
        parts.emplace_back("xl/styles.xml", stylesXml);
    }
    if (!sharedStringsXml.empty()) {
        rels += "<Relationship Id=\"rIdStrings\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings\" Target=\"/xl/sharedStrings.xml\"/>";
        parts.emplace_back("xl/sharedStrings.xml", sharedStringsXml);
    }
    rels += "</Relationships>";
    parts.emplace_back("xl/workbook.xml", workbook);
    parts.emplace_back("xl/_rels/workbook.xml.rels", rels);
    return parts;
}

std::string worksheetXml(const std::string& sheetData, const std::string& before, const std::string& after) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
           "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">" +
           before + "<sheetData>" + sheetData + "</sheetData>" + after + "</worksheet>";
}

}  // namespace zevo::grid::test
