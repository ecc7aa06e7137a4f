#include "zevo/grid/XlsxReader.h"

#include <map>

#include "XlsxSheetParts.h"
#include "XlsxStyles.h"
#include "XmlPull.h"
#include "ZipArchive.h"
#include "zevo/RuntimeError.h"

namespace zevo::grid {

namespace xlsx {
namespace {

struct Relationship {
    std::string type;     // last segment of the type URI ("worksheet", "comments" ...)
    std::string target;   // part name inside the package
};

std::string folderOf(const std::string& part) {
    const auto slash = part.rfind('/');
    return slash == std::string::npos ? std::string() : part.substr(0, slash + 1);
}

// Resolves a relationship target against the folder of its source part.
std::string resolvePart(const std::string& folder, const std::string& target) {
    std::string path = !target.empty() && target[0] == '/' ? target.substr(1) : folder + target;
    std::vector<std::string> segments;
    std::size_t start = 0;
    while (start <= path.size()) {
        auto end = path.find('/', start);
        if (end == std::string::npos) end = path.size();
        const std::string seg = path.substr(start, end - start);
        if (seg == "..") {
            if (!segments.empty()) segments.pop_back();
        } else if (!seg.empty() && seg != ".") {
            segments.push_back(seg);
        }
        start = end + 1;
    }
    std::string out;
    for (const auto& s : segments) out += (out.empty() ? "" : "/") + s;
    return out;
}

std::string relsPartOf(const std::string& part) {
    const auto slash = part.rfind('/');
    if (slash == std::string::npos) return "_rels/" + part + ".rels";
    return part.substr(0, slash + 1) + "_rels/" + part.substr(slash + 1) + ".rels";
}

std::map<std::string, Relationship> readRelationships(const ZipArchive& zip, const std::string& part) {
    std::map<std::string, Relationship> out;
    const std::string relsPart = relsPartOf(part);
    if (!zip.contains(relsPart)) return out;
    const std::string xml = zip.read(relsPart, kMaxSmallPartBytes);
    XmlPull x(xml, relsPart);
    const std::string folder = folderOf(part);
    while (x.next()) {
        if (!x.isStart() || x.name() != "Relationship") continue;
        if (x.attrOr("TargetMode") == "External") continue;
        std::string type = x.attrOr("Type");
        if (auto slash = type.rfind('/'); slash != std::string::npos) type = type.substr(slash + 1);
        out[x.attrOr("Id")] = {type, resolvePart(folder, x.attrOr("Target"))};
    }
    return out;
}

std::string findByType(const std::map<std::string, Relationship>& rels, const std::string& type) {
    for (const auto& [id, rel] : rels)
        if (rel.type == type) return rel.target;
    return {};
}

struct SheetEntry {
    std::string name;
    bool hidden = false;
    std::string part;
};

}  // namespace
}  // namespace xlsx

namespace {

WorkbookData readWorkbook(const std::string& path) {
    using namespace xlsx;
    ZipArchive zip(path);

    // The package root names the workbook part.
    std::string workbookPart = findByType(readRelationships(zip, ""), "officeDocument");
    if (workbookPart.empty()) workbookPart = "xl/workbook.xml";
    if (!zip.contains(workbookPart)) throw RuntimeError(kErrInvalidFormat, "Not a workbook: " + path + " has no " + workbookPart);

    const auto rels = readRelationships(zip, workbookPart);
    std::vector<SheetEntry> entries;
    {
        const std::string xml = zip.read(workbookPart, kMaxSmallPartBytes);
        XmlPull x(xml, workbookPart);
        while (x.next()) {
            if (!x.isStart() || x.name() != "sheet") continue;
            SheetEntry e;
            e.name = x.attrOr("name");
            const std::string state = x.attrOr("state", "visible");
            e.hidden = state == "hidden" || state == "veryHidden";
            const auto it = rels.find(x.relAttr("id"));
            if (it == rels.end()) throw RuntimeError(kErrInvalidFormat, "Damaged workbook " + path + ": sheet \"" + e.name + "\" has no part");
            if (it->second.type != "worksheet") continue;   // chart sheets and the like hold no cells
            e.part = it->second.target;
            // Each sheet has a part of its own: one part named by thousands of
            // sheets would be read thousands of times.
            for (const SheetEntry& earlier : entries)
                if (earlier.part == e.part)
                    throw RuntimeError(kErrInvalidFormat, "Damaged workbook " + path + ": sheets \"" +
                                                              earlier.name + "\" and \"" + e.name +
                                                              "\" share one part " + e.part);
            entries.push_back(std::move(e));
        }
    }
    if (entries.empty()) throw RuntimeError(kErrInvalidFormat, "Not a workbook: " + path + " has no worksheets");

    std::vector<Colour> theme = defaultThemeColours();
    if (const std::string part = findByType(rels, "theme"); !part.empty() && zip.contains(part))
        theme = parseThemeColours(zip.read(part, kMaxSmallPartBytes));

    WorkbookData book;
    if (const std::string part = findByType(rels, "styles"); !part.empty() && zip.contains(part))
        book.styles = parseStyles(zip.read(part, kMaxSmallPartBytes), theme);

    std::vector<std::string> strings;
    if (const std::string part = findByType(rels, "sharedStrings"); !part.empty() && zip.contains(part))
        strings = parseSharedStrings(zip.read(part, kMaxPartBytes));

    SheetContext context{strings, book.styles.size(), kMaxCells, kMaxDecodedBytes};
    std::size_t rows = 0;
    for (auto& e : entries) {
        SheetData sheet = parseWorksheet(zip.read(e.part, kMaxPartBytes), e.part, context);
        // A sheet is as tall as its last cell or merge, and whoever shows it makes
        // that many rows.
        rows += static_cast<std::size_t>(sheet.maxRow);
        if (rows > kMaxTotalRows)
            throw RuntimeError(kErrInvalidFormat, "Damaged workbook " + path + ": too many rows in its sheets");
        sheet.name = std::move(e.name);
        sheet.hidden = e.hidden;
        const auto sheetRels = readRelationships(zip, e.part);
        for (const auto& [id, rel] : sheetRels) {
            if (rel.type == "comments" && zip.contains(rel.target))
                applyComments(sheet, zip.read(rel.target, kMaxPartBytes), rel.target, context);
        }
        book.sheets.push_back(std::move(sheet));
    }
    return book;
}

}  // namespace

WorkbookData readXlsx(const std::string& path) {
    try {
        return readWorkbook(path);
    } catch (const std::bad_alloc&) {
        // Within the limits above this means the machine itself is short.
        throw RuntimeError(xlsx::kErrInvalidFormat, "Not enough memory to read the workbook " + path);
    } catch (const std::length_error&) {
        throw RuntimeError(xlsx::kErrInvalidFormat, "Workbook too large: " + path);
    }
}

}  // namespace zevo::grid
