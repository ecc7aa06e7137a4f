#pragma once
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace zevo::test {

// A private folder under the system temp folder, removed with the object.
class TempDir {
public:
    TempDir() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "zevo-xml-XXXXXX").string();
        path_ = mkdtemp(tmpl.data());
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ec);
        std::filesystem::remove_all(path_, ec);
    }
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

inline void writeText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

inline std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// A sheet document shaped like the declaration documents: "CellID" is an ID of Cell.
inline const char* kSheetDtd =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<!DOCTYPE Sections [\n"
    "<!ELEMENT Sections (Section*)>\n"
    "<!ELEMENT Section (Cells*)>\n"
    "<!ATTLIST Section Dynamic CDATA #IMPLIED MaxRows CDATA #IMPLIED>\n"
    "<!ELEMENT Cells (Cell*)>\n"
    "<!ELEMENT Cell EMPTY>\n"
    "<!ATTLIST Cell CellID ID #REQUIRED CellID2 CDATA #IMPLIED Value CDATA #IMPLIED "
    "FirstCell CDATA #IMPLIED>\n"
    "]>\n";

}  // namespace zevo::test
