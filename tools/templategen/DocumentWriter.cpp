#include "DocumentWriter.h"

#include "XmlText.h"

#include <map>
#include <set>
#include <sstream>
#include <stdexcept>

namespace zevo::tools {

const char* const kSheetDtd =
    "<!DOCTYPE Sections [\n"
    "<!ELEMENT Sections (Section*)>\n"
    "<!ATTLIST Sections PaperOrientation CDATA #IMPLIED>\n"
    "<!ELEMENT Section (Cells*)>\n"
    "<!ATTLIST Section Dynamic CDATA #IMPLIED MaxRows CDATA #IMPLIED Receive CDATA #IMPLIED>\n"
    "<!ELEMENT Cells (Cell*)>\n"
    "<!ATTLIST Cells Dynamic CDATA #IMPLIED>\n"
    "<!ELEMENT Cell EMPTY>\n"
    "<!ATTLIST Cell CellID ID #IMPLIED CellID2 CDATA #IMPLIED Value CDATA #IMPLIED\n"
    "  FirstCell CDATA #IMPLIED PageBreak CDATA #IMPLIED Encode CDATA #IMPLIED Receive CDATA #IMPLIED\n"
    "  StatusID CDATA #IMPLIED MaxLen CDATA #IMPLIED MinValue CDATA #IMPLIED MaxValue CDATA #IMPLIED\n"
    "  TextNumberFormat CDATA #IMPLIED HelpContextID CDATA #IMPLIED>\n"
    "]>";

namespace {

std::string attrOr(const CellDef& c, const std::string& key, const std::string& fallback = {}) {
    auto it = c.attrs.find(key);
    return it == c.attrs.end() ? fallback : it->second;
}

// Anchors of the data cells of a sheet.
std::set<CellAddress> dataCells(const SheetDef* s) {
    std::set<CellAddress> out;
    if (!s) return out;
    for (const auto& c : s->cells)
        if (c.kind == CellKind::Data && !c.style.empty()) out.insert(c.at);
    return out;
}

// Ini attributes of one data cell, in a fixed order.
void addIniAttributes(const CellDef& c, XmlElement& e) {
    if (c.attrs.count("maxlen")) e.attr("MaxLen", c.attrs.at("maxlen"));
    if (c.attrs.count("min")) e.attr("MinValue", c.attrs.at("min"));
    if (c.attrs.count("max")) e.attr("MaxValue", c.attrs.at("max"));
    if (c.attrs.count("digits")) e.attr("TextNumberFormat", "True");
    if (c.attrs.count("help")) e.attr("HelpContextID", c.attrs.at("help"));
}

bool hasIniAttributes(const CellDef& c) {
    for (const char* k : {"maxlen", "min", "max", "digits", "help"})
        if (c.attrs.count(k)) return true;
    return false;
}

// The sections of a sheet document; the row group (`Cells`) of each, in order.
std::vector<XmlElement*> addSections(XmlElement& doc, const SheetDef& sheet, bool boundOnly) {
    for (const auto& s : sheet.sections) {
        XmlElement& sec = doc.add("Section");
        sec.attr("Dynamic", s.dynamic ? "1" : "0");
        if (s.dynamic) sec.attr("MaxRows", std::to_string(s.maxRows));
        if (!s.receive.empty()) sec.attr("Receive", s.receive);
    }
    std::vector<XmlElement*> rowGroups;
    for (std::size_t i = 0; i < sheet.sections.size(); ++i) {
        XmlElement& cells = doc.children[i].add("Cells");
        if (boundOnly) cells.attr("Dynamic", sheet.sections[i].dynamic ? "1" : "0");
        rowGroups.push_back(&cells);
    }
    return rowGroups;
}

void addDocumentCell(XmlElement& cells, const CellDef& c, const std::string& id, const CellAddress& printed,
                     bool dynamic) {
    XmlElement& e = cells.add("Cell");
    e.attr("CellID", id).attr("CellID2", cellId(printed));
    std::string value = c.attrs.count("marker") ? std::string() : c.text;
    e.attr("Value", value);
    if (dynamic && cells.children.size() == 1) e.attr("FirstCell", "0");
    if (c.attrs.count("pagebreak")) e.attr("PageBreak", "1");
    if (c.attrs.count("encode")) e.attr("Encode", c.attrs.at("encode"));
    if (c.attrs.count("receive")) e.attr("Receive", c.attrs.at("receive"));
    if (c.attrs.count("status")) e.attr("StatusID", c.attrs.at("status"));
}

}  // namespace

void writeDocuments(const Description& d, const Description& input, const std::vector<ReportCheck>& reports,
                    const std::string& outDir) {
    std::ostringstream problems;
    for (std::size_t si = 0; si < d.sheets.size(); ++si) {
        const SheetDef& sheet = d.sheets[si];
        if (sheet.document.empty() && sheet.interfaceIni.empty()) continue;
        const SheetDef* inputSheet = input.sheet(sheet.name);
        if (!inputSheet) {
            problems << d.path << ": sheet \"" << sheet.name << "\" is not in " << input.path << "\n";
            continue;
        }
        const auto inputCells = dataCells(inputSheet);
        std::vector<std::set<CellAddress>> reportCells;
        for (const auto& r : reports)
            reportCells.push_back(si < r.report->sheets.size() ? dataCells(&r.report->sheets[si])
                                                               : std::set<CellAddress>{});

        XmlElement doc{"Sections", {}, {}};
        XmlElement ini{"Sections", {}, {}};
        XmlElement& iniCells = ini.add("Section").add("Cells");
        const bool boundOnly = d.path != input.path;   // a report document over the input grid
        const std::vector<XmlElement*> rowGroups = addSections(doc, sheet, boundOnly);
        std::set<std::string> ids;
        for (const auto& c : sheet.cells) {
            if (c.kind != CellKind::Data) continue;
            const std::string where = d.path + ":" + std::to_string(c.line) + ": ";
            const std::string id = cellId(c.at);
            if (!ids.insert(id).second) problems << where << id << " bound twice\n";
            if (!inputCells.count(c.at)) problems << where << id << " is not a data cell of " << input.path << "\n";
            std::string id2 = attrOr(c, "id2");
            if (id2.empty()) {
                problems << where << id << " has no id2 (its place on the printed sheet)\n";
                continue;
            }
            CellAddress a2;
            try {
                a2 = parseAddress(id2);
            } catch (const std::exception& e) {
                problems << where << e.what() << "\n";
                continue;
            }
            for (std::size_t r = 0; r < reports.size(); ++r)
                if (!reportCells[r].count(a2))
                    problems << where << id << ": " << cellId(a2) << " is not a data cell of sheet " << si + 1
                             << " of " << reports[r].report->path << "\n";
            if (c.section < 0) {
                problems << where << id << " lies before the first section\n";
                continue;
            }
            if (!sheet.document.empty()) {
                const auto section = static_cast<std::size_t>(c.section);
                addDocumentCell(*rowGroups[section], c, id, a2, sheet.sections[section].dynamic);
            }
            if (hasIniAttributes(c)) {
                XmlElement& e = iniCells.add("Cell");
                e.attr("CellID", id);
                addIniAttributes(c, e);
            }
        }
        if (!problems.str().empty()) continue;
        if (!sheet.document.empty())
            writeTextFile(outDir + "/" + sheet.document + ".xml", serializeCompact(doc, kSheetDtd));
        if (!sheet.interfaceIni.empty())
            writeTextFile(outDir + "/" + sheet.interfaceIni + ".xml", serializeCompact(ini, kSheetDtd));
    }
    if (!problems.str().empty()) throw std::runtime_error(problems.str());
}

void writeReportInis(const Description& d, const std::string& outDir) {
    for (const auto& sheet : d.sheets) {
        if (sheet.reportIni.empty()) continue;
        XmlElement ini{"Sections", {}, {}};
        ini.attr("PaperOrientation", !sheet.orientation.empty() ? sheet.orientation
                                     : sheet.landscape           ? "Landscape"
                                                                 : "Portrait");
        XmlElement& cells = ini.add("Section").add("Cells");
        for (const auto& c : sheet.cells) {
            if (c.kind != CellKind::Data || !hasIniAttributes(c)) continue;
            XmlElement& e = cells.add("Cell");
            e.attr("CellID", cellId(c.at));
            addIniAttributes(c, e);
        }
        writeTextFile(outDir + "/" + sheet.reportIni + ".xml", serializeCompact(ini, kSheetDtd));
    }
}

void writeStatus(const std::string& tablePath, const std::vector<const Description*>& used,
                 const std::string& outPath) {
    std::map<std::string, std::string> table;
    std::vector<std::string> order;
    std::istringstream in(readTextFile(tablePath));
    std::string line;
    int lineNo = 0;
    auto trim = [](std::string s) {
        auto a = s.find_first_not_of(" \t\r");
        auto b = s.find_last_not_of(" \t\r");
        return a == std::string::npos ? std::string() : s.substr(a, b - a + 1);
    };
    while (std::getline(in, line)) {
        ++lineNo;
        std::string t = trim(line);
        if (t.empty() || t[0] == '#') continue;
        auto bar = t.find('|');
        if (bar == std::string::npos)
            throw std::runtime_error(tablePath + ":" + std::to_string(lineNo) + ": expected ID | text");
        std::string id = trim(t.substr(0, bar));
        std::string msg = trim(t.substr(bar + 1));
        if (id.empty() || msg.empty() || table.count(id))
            throw std::runtime_error(tablePath + ":" + std::to_string(lineNo) + ": empty or duplicate status id " + id);
        table[id] = msg;
        order.push_back(id);
    }
    std::ostringstream missing;
    for (const Description* d : used)
        for (const auto& s : d->sheets)
            for (const auto& c : s.cells)
                if (c.attrs.count("status") && !table.count(c.attrs.at("status")))
                    missing << d->path << ":" << c.line << ": status id " << c.attrs.at("status")
                            << " has no text in " << tablePath << "\n";
    if (!missing.str().empty()) throw std::runtime_error(missing.str());
    XmlElement root{"Status", {}, {}};
    for (const auto& id : order) root.add("St").attr("ID", id).attr("Msg", table[id]);
    writeTextFile(outPath, serializeCompact(root));
}

}  // namespace zevo::tools
