#pragma once
// Helpers of the workbook tests: a private temporary folder and hand-made zip
// packages, so that every file a test reads is built by the test itself.
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace zevo::grid::test {

using Parts = std::vector<std::pair<std::string, std::string>>;

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    std::string file(const std::string& name) const { return (path_ / name).string(); }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// Writes a zip archive with the given parts (name, bytes).
void writeZip(const std::string& path, const Parts& parts);

// The members of a minimal workbook with the given sheets (name, worksheet xml);
// extra workbook-level parts (styles, shared strings ...) are linked when given.
Parts minimalWorkbook(const std::vector<std::pair<std::string, std::string>>& sheets,
                      const std::string& stylesXml = {}, const std::string& sharedStringsXml = {});

// A worksheet part around the given sheetData rows and trailing elements.
std::string worksheetXml(const std::string& sheetData, const std::string& before = {},
                         const std::string& after = {});

}  // namespace zevo::grid::test
