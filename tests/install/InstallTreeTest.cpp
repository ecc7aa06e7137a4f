// The installation tree as the program reads it: every XML file loads through the
// program's XML layer, the blank sheet documents name only cells their workbooks
// hold, the workbooks carry the layout the rules and report classes rely on, and
// the catalogues are complete.
#include "StagedTree.h"

#include "zevo/Xml.h"
#include "zevo/grid/SpreadModel.h"
#include "zevo/grid/XlsxReader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using zevo::grid::CellData;
using zevo::grid::SheetData;
using zevo::grid::WorkbookData;
using zevo::xml::Document;
using zevo::xml::DocumentPtr;
using zevo::xml::Node;

namespace {

std::string attr(const Node& n, const std::string& name) { return n.attribute(name).value_or(""); }

class InstallTree : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = zevo::test::installTreeRoot();
        if (root_.empty()) GTEST_SKIP() << "no installation tree: run 'cmake --install' or build zevo_install_data";
    }

    DocumentPtr load(const std::string& path) {
        zevo::xml::LoadResult r;
        auto doc = Document::fromFile(path, &r);
        EXPECT_TRUE(r.ok()) << path << ": " << r.reason;
        return doc;
    }

    const WorkbookData& workbook(const std::string& path) {
        auto it = books_.find(path);
        if (it == books_.end()) it = books_.emplace(path, zevo::grid::readXlsx(path)).first;
        return it->second;
    }

    Node menuEntry(const std::string& id) {
        if (!menu_) menu_ = load(root_ + "/Bin/Menu.xml");
        for (const Node& e : menu_->documentElement().childElements())
            if (attr(e, "ID") == id) return e;
        return {};
    }

    std::string path(const std::string& menuPath) { return zevo::test::resolveMenuPath(root_, menuPath); }

    std::string root_;
    DocumentPtr menu_;
    std::map<std::string, WorkbookData> books_;
};

const CellData* findCell(const SheetData& s, int col, int row) {
    for (const auto& c : s.cells)
        if (c.col == col && c.row == row) return &c;
    return nullptr;
}

// A cell the workbook holds: written into the sheet, or the anchor of a merged block.
bool holds(const SheetData& s, const std::string& cellId) {
    static const std::regex re("([A-Z]+)_([0-9]+)");
    std::smatch m;
    if (!std::regex_match(cellId, m, re)) return false;
    int col = 0;
    for (char ch : m[1].str()) col = col * 26 + (ch - 'A' + 1);
    int row = std::stoi(m[2].str());
    if (findCell(s, col, row)) return true;
    for (const auto& mg : s.merges)
        if (mg.firstCol == col && mg.firstRow == row) return true;
    return false;
}

std::string textAt(const SheetData& s, const std::string& a1) {
    static const std::regex re("([A-Z]+)([0-9]+)");
    std::smatch m;
    std::regex_match(a1, m, re);
    int col = 0;
    for (char ch : m[1].str()) col = col * 26 + (ch - 'A' + 1);
    const CellData* c = findCell(s, col, std::stoi(m[2].str()));
    if (!c) return {};
    if (c->type == zevo::grid::CellValueType::Number) {
        double n = c->number;
        return n == static_cast<long long>(n) ? std::to_string(static_cast<long long>(n)) : std::to_string(n);
    }
    return c->text;
}

std::string formulaAt(const SheetData& s, int col, int row) {
    const CellData* c = findCell(s, col, row);
    return c ? c->formula : std::string();
}

}  // namespace

TEST_F(InstallTree, EveryXmlFileLoadsThroughTheProgramsXmlLayer) {
    int count = 0;
    for (const auto& e : fs::recursive_directory_iterator(root_)) {
        if (e.path().extension() != ".xml" || e.path().string().find("/DataFiles/") != std::string::npos) continue;
        auto doc = load(e.path().string());
        EXPECT_FALSE(doc->isEmpty()) << e.path();
        ++count;
    }
    EXPECT_GE(count, 20);
}

TEST_F(InstallTree, MenuEntriesNameExistingFiles) {
    const std::map<std::string, std::pair<std::string, std::string>> classes = {
        {"100_7", {"ZEVO_Business.clsZEVO", "ZEVO_Business.clsZEVOReport"}},
        {"100_9", {"", "ZEVO_Business.clsZEVOSpecialReport"}},
    };
    for (const char* id : {"100_7", "100_8", "100_9", "100_1"}) {
        SCOPED_TRACE(id);
        Node entry = menuEntry(id);
        ASSERT_TRUE(entry);
        auto validities = entry.childElements("Validity");
        ASSERT_FALSE(validities.empty());
        for (const Node& v : validities) {
            EXPECT_TRUE(std::regex_match(attr(v, "StartDate"), std::regex("[0-9]{2}/[0-9]{2}/[0-9]{4}")));
            EXPECT_TRUE(v.hasAttribute("Class"));
            EXPECT_TRUE(v.hasAttribute("Class2"));
            EXPECT_TRUE(fs::exists(path(attr(v, "InterfaceTemplate")))) << attr(v, "InterfaceTemplate");
            EXPECT_TRUE(fs::exists(path(attr(v, "ReportTemplate")))) << attr(v, "ReportTemplate");
            if (classes.count(id)) {
                EXPECT_EQ(attr(v, "Class"), classes.at(id).first);
                EXPECT_EQ(attr(v, "Class2"), classes.at(id).second);
            }
            auto sheets = v.childElements("Sheet");
            ASSERT_GE(sheets.size(), 1u);
            // The catalogues sit in the template folder of the first sheet entry.
            for (const char* cat : {"DMGioiTinh.xml", "DMQuocGia.xml", "DMQuocTich.xml", "DMDiaban.xml", "DMCQT.xml",
                                    "DMCTLHKT.xml", "DMNNKD.xml"})
                EXPECT_TRUE(fs::exists(path(attr(sheets[0], "TemplateFolder") + cat))) << cat;
            for (const Node& s : sheets) {
                EXPECT_TRUE(fs::exists(path(attr(s, "TemplateFolder") + attr(s, "DataFile") + ".xml")));
                for (const char* ini : {"InterfaceIni", "ReportIni"})
                    if (!attr(s, ini).empty()) EXPECT_TRUE(fs::exists(path(attr(s, ini)))) << attr(s, ini);
                EXPECT_FALSE(attr(s, "Caption").empty());
                EXPECT_TRUE(attr(s, "Active") == "0" || attr(s, "Active") == "1");
            }
        }
    }
    Node report = menuEntry("100_8").firstChildElement("Validity");
    EXPECT_TRUE(fs::exists(path(attr(report, "TemplateFolder") + attr(report, "DataFile") + ".xml")));
}

TEST_F(InstallTree, WorkbooksHideOnlyTheirLastSheetAndNameSheetsByCaption) {
    for (const char* id : {"100_7", "100_8", "100_9"}) {
        Node v = menuEntry(id).firstChildElement("Validity");
        auto sheets = v.childElements("Sheet");
        for (const char* which : {"InterfaceTemplate", "ReportTemplate"}) {
            if (std::string(id) != "100_7" && std::string(which) == "InterfaceTemplate") continue;
            SCOPED_TRACE(std::string(id) + " " + which);
            const WorkbookData& wb = workbook(path(attr(v, which)));
            ASSERT_GE(wb.sheets.size(), 2u);
            EXPECT_TRUE(wb.sheets.back().hidden);
            for (std::size_t i = 0; i + 1 < wb.sheets.size(); ++i) EXPECT_FALSE(wb.sheets[i].hidden);
            // Active sheet entries find their sheet by caption.
            for (std::size_t i = 0; i < sheets.size(); ++i)
                if (attr(sheets[i], "Active") != "0") {
                    ASSERT_LT(i + 1, wb.sheets.size());
                    EXPECT_EQ(wb.sheets[i].name, attr(sheets[i], "Caption"));
                }
        }
    }
    const WorkbookData& a3 = workbook(path(attr(menuEntry("100_9").firstChildElement("Validity"), "ReportTemplate")));
    EXPECT_TRUE(a3.sheets[0].landscape);
    const WorkbookData& neutral = workbook(root_ + "/InterfaceTemplates/Template.xlsx");
    EXPECT_EQ(neutral.sheets.size(), 2u);
    EXPECT_TRUE(neutral.sheets.back().hidden);
}

TEST_F(InstallTree, BlankDocumentsNameOnlyCellsTheirWorkbooksHold) {
    // Each declaration kind whose reports are filled from the declaration's documents.
    for (const char* id : {"100_7", "100_9"}) {
        Node v = menuEntry(id).firstChildElement("Validity");
        const WorkbookData& input = workbook(path(attr(menuEntry("100_7").firstChildElement("Validity"),
                                                       "InterfaceTemplate")));
        const WorkbookData& report = workbook(path(attr(v, "ReportTemplate")));
        auto sheets = v.childElements("Sheet");
        for (std::size_t i = 0; i < sheets.size(); ++i) {
            SCOPED_TRACE(std::string(id) + " sheet " + std::to_string(i + 1));
            auto doc = load(path(attr(sheets[i], "TemplateFolder") + attr(sheets[i], "DataFile") + ".xml"));
            auto sections = doc->documentElement().childElements("Section");
            ASSERT_EQ(sections.size(), i == 0 ? 2u : 1u);
            EXPECT_EQ(attr(sections.back(), "Dynamic"), "1");
            // The print dialog counts the records as the children of the second section.
            if (i == 0) EXPECT_EQ(attr(sections[0], "Dynamic"), "0");
            auto rows = sections.back().childElements("Cells");
            ASSERT_EQ(rows.size(), 1u);
            EXPECT_EQ(attr(rows[0].firstChildElement("Cell"), "FirstCell"), "0");
            int cells = 0;
            for (const Node& c : doc->elementsByTagName("Cell")) {
                const std::string cid = attr(c, "CellID"), cid2 = attr(c, "CellID2");
                EXPECT_TRUE(doc->elementById(cid) == c) << cid;
                EXPECT_TRUE(holds(input.sheets[i], cid)) << cid << " missing in the input workbook";
                EXPECT_TRUE(holds(report.sheets[i], cid2)) << cid2 << " missing in the report workbook";
                EXPECT_TRUE(c.hasAttribute("Value"));
                ++cells;
            }
            EXPECT_GT(cells, 10);
        }
    }
    // The exchange file: an import into an open declaration compares the first value
    // of the header row with the tax code and the fourth with the tax office; a cell
    // that is not exported must not take a value on import either.
    {
        Node v = menuEntry("100_7").firstChildElement("Validity");
        Node first = v.firstChildElement("Sheet");
        auto doc = load(path(attr(first, "TemplateFolder") + attr(first, "DataFile") + ".xml"));
        std::vector<std::string> exported;
        for (const Node& c : doc->documentElement().firstChildElement("Section").firstChildElement("Cells").childElements("Cell"))
            if (attr(c, "Encode") != "0") exported.push_back(attr(c, "CellID"));
        ASSERT_GE(exported.size(), 4u);
        EXPECT_EQ(exported[0], "K_9");
        EXPECT_EQ(exported[3], "O_15");
        for (const Node& s : v.childElements("Sheet")) {
            auto d = load(path(attr(s, "TemplateFolder") + attr(s, "DataFile") + ".xml"));
            for (const Node& c : d->elementsByTagName("Cell"))
                EXPECT_EQ(attr(c, "Encode") == "0", attr(c, "Receive") == "0") << attr(c, "CellID");
        }
    }
    // The per-individual report document: input cells of the declaration, places
    // on the one-page report.
    Node v8 = menuEntry("100_8").firstChildElement("Validity");
    auto doc = load(path(attr(v8, "TemplateFolder") + attr(v8, "DataFile") + ".xml"));
    const WorkbookData& input = workbook(path(attr(menuEntry("100_7").firstChildElement("Validity"), "InterfaceTemplate")));
    const WorkbookData& report = workbook(path(attr(v8, "ReportTemplate")));
    EXPECT_EQ(report.sheets[0].landscape, false);
    for (const Node& c : doc->elementsByTagName("Cell")) {
        EXPECT_TRUE(doc->elementById(attr(c, "CellID")) == c);
        EXPECT_TRUE(holds(input.sheets[0], attr(c, "CellID"))) << attr(c, "CellID");
        EXPECT_TRUE(holds(report.sheets[0], attr(c, "CellID2"))) << attr(c, "CellID2");
    }
}

TEST_F(InstallTree, InputWorkbookCarriesTheLayoutTheRulesUse) {
    Node v = menuEntry("100_7").firstChildElement("Validity");
    const WorkbookData& wb = workbook(path(attr(v, "InterfaceTemplate")));
    ASSERT_EQ(wb.sheets.size(), 3u);
    const SheetData& s1 = wb.sheets[0];
    const SheetData& s2 = wb.sheets[1];
    EXPECT_EQ(textAt(s1, "D39"), "aa");
    EXPECT_EQ(textAt(s2, "B6"), "aa");
    for (const char* combo : {"Q38", "S38", "V38", "AB38", "AD38", "AF38", "AH38", "AK38", "AM38", "AO38", "L13", "L15"})
        EXPECT_EQ(textAt(s1, combo), "cbo") << combo;
    for (const char* a : {"K_9", "L_13", "O_13", "L_15", "O_15", "L_17", "L_19", "Q_19"}) EXPECT_TRUE(holds(s1, a)) << a;
    // Input cells are unlocked, labels and computed cells are locked.
    auto locked = [&](const SheetData& s, int col, int row) {
        const CellData* c = findCell(s, col, row);
        return c ? wb.styles.at(static_cast<std::size_t>(c->style)).locked : true;
    };
    EXPECT_FALSE(locked(s1, 11, 9));    // K9
    EXPECT_FALSE(locked(s1, 11, 38));   // K38
    EXPECT_TRUE(locked(s1, 4, 38));     // D38, the sequence number
    EXPECT_TRUE(locked(s1, 17, 19));    // Q19, the count
    EXPECT_TRUE(locked(s1, 2, 9));      // B9, a label
    // Colours of the paper form: labels grey, typed entries light blue, picks light yellow.
    auto fill = [&](const SheetData& s, int col, int row) {
        const CellData* c = findCell(s, col, row);
        return c ? wb.styles.at(static_cast<std::size_t>(c->style)).fill.value_or(0xFFFFFFFFu) : 0xFFFFFFFFu;
    };
    EXPECT_EQ(fill(s1, 2, 9), zevo::grid::rgb(192, 192, 192));     // B9, a label
    EXPECT_EQ(fill(s1, 12, 17), zevo::grid::rgb(204, 255, 255));   // L17, typed
    EXPECT_EQ(fill(s1, 12, 13), zevo::grid::rgb(255, 255, 204));   // L13, picked
    // Cells the list checks mark are white, the colour a cleared mark gets.
    for (int col : {7, 11, 17, 19, 20, 23, 34, 35, 37, 39, 41}) EXPECT_EQ(fill(s1, col, 38), 0xFFFFFFFFu) << col;
    // K9, the organisation's tax code, is a typed entry; its check's C cell carries
    // the same tint, which a cleared mark gives back.
    EXPECT_EQ(fill(s1, 11, 9), zevo::grid::rgb(204, 255, 255));
    EXPECT_EQ(fill(wb.sheets.back(), 3, 12), zevo::grid::rgb(204, 255, 255));
    // The used range reaches beyond the last column and row of the form, which the
    // grid trims by one.
    EXPECT_GT(s1.maxCol, 47);   // AU
    EXPECT_GT(s1.maxRow, 43);   // the signature block
    EXPECT_GT(wb.sheets.back().maxCol, 20);   // T, the order of the checks

    const SheetData& h = wb.sheets.back();
    EXPECT_EQ(h.name, "Header");
    for (int r = 13; r <= 43; ++r) EXPECT_FALSE(textAt(h, "E" + std::to_string(r)).empty()) << "E" << r;
    for (int r : {15, 24}) {
        EXPECT_TRUE(formulaAt(h, 2, r).empty()) << "B" << r << " must be a plain value";
        EXPECT_EQ(textAt(h, "B" + std::to_string(r)), "1");
        EXPECT_EQ(textAt(h, "S" + std::to_string(r)), "Y");
    }
    int checks = 0;
    const std::regex reference("'?[^'!]+'?![A-Z]+[0-9]+");
    for (const auto& c : h.cells) {
        if (c.col != 2 || c.row < 12 || c.formula.empty()) continue;
        ++checks;
        const std::string ref = formulaAt(h, 3, c.row);
        EXPECT_TRUE(std::regex_match(ref, reference)) << "C" << c.row;
        // C carries the checked cell's own colour, which a cleared mark restores.
        std::smatch m;
        if (std::regex_match(ref, m, std::regex("'?([^'!]+)'?!([A-Z]+)([0-9]+)")) && m[1] == s1.name) {
            int col = 0;
            for (char ch : m[2].str()) col = col * 26 + (ch - 'A' + 1);
            EXPECT_EQ(fill(h, 3, c.row), fill(s1, col, std::stoi(m[3].str()))) << "C" << c.row;
        }
        std::string sev = textAt(h, "S" + std::to_string(c.row));
        EXPECT_TRUE(sev == "Y" || sev == "N") << "S" << c.row;
        EXPECT_FALSE(textAt(h, "T" + std::to_string(c.row)).empty());
    }
    EXPECT_GE(checks, 3);
}

TEST_F(InstallTree, ReportWorkbooksCarryTheLayoutTheReportClassesUse) {
    for (const char* id : {"100_7", "100_9"}) {
        SCOPED_TRACE(id);
        const WorkbookData& wb = workbook(path(attr(menuEntry(id).firstChildElement("Validity"), "ReportTemplate")));
        const SheetData& s = wb.sheets[0];
        EXPECT_EQ(textAt(s, "A37"), "aaa");
        for (const char* a : {"G_36", "N_36", "A_36", "N_31", "L_27"}) EXPECT_TRUE(holds(s, a)) << a;
    }
}

TEST_F(InstallTree, CataloguesAreComplete) {
    const std::string folder = path(attr(menuEntry("100_7").firstChildElement("Validity").firstChildElement("Sheet"),
                                         "TemplateFolder"));
    auto places = load(folder + "/DMDiaban.xml");
    Node top = places->documentElement();
    auto provinces = top.selectNodes("Item");
    auto districts = top.selectNodes("Item/Item");
    auto wards = top.selectNodes("Item/Item/Item");
    if (!ZEVO_CATALOGUE_SAMPLE) {
        EXPECT_EQ(provinces.size(), 63u);
        EXPECT_EQ(districts.size(), 696u);
        EXPECT_EQ(wards.size(), 10047u);
    } else {
        EXPECT_GE(provinces.size(), 1u);
        EXPECT_GE(wards.size(), 1u);
    }
    for (const Node& p : provinces) EXPECT_FALSE(attr(p, "value").empty());

    auto tax = load(folder + "/DMCQT.xml");
    auto departments = tax->documentElement().selectNodes("Item");
    EXPECT_EQ(departments.size(), provinces.size());
    std::set<std::string> shortnames, ids, values;
    for (const Node& d : departments) {
        EXPECT_TRUE(std::regex_match(attr(d, "shortname"), std::regex("[A-Z]{3}"))) << attr(d, "shortname");
        EXPECT_TRUE(shortnames.insert(attr(d, "shortname")).second);
        EXPECT_TRUE(values.insert(attr(d, "value")).second) << attr(d, "value");
        EXPECT_TRUE(ids.insert(attr(d, "id")).second);
        EXPECT_GE(d.childElements("Item").size(), 2u);   // its own office and the district offices
    }
    auto offices = tax->documentElement().selectNodes("Item/Item");
    EXPECT_EQ(offices.size(), districts.size() + departments.size());
    for (const Node& o : offices) EXPECT_TRUE(ids.insert(attr(o, "id")).second) << attr(o, "id");

    auto nationalities = load(folder + "/DMQuocTich.xml")->documentElement().selectNodes("Item");
    ASSERT_FALSE(nationalities.empty());
    EXPECT_EQ(attr(nationalities[0], "id"), "00");
    bool stateless = false;
    for (const Node& n : nationalities)
        if (attr(n, "id") == "98") stateless = !attr(n, "type").empty();
    EXPECT_TRUE(stateless);
    auto countries = load(folder + "/DMQuocGia.xml")->documentElement().selectNodes("Item");
    if (!ZEVO_CATALOGUE_SAMPLE) EXPECT_EQ(countries.size(), 249u);
    auto sexes = load(folder + "/DMGioiTinh.xml")->documentElement().selectNodes("Item");
    ASSERT_EQ(sexes.size(), 2u);
    EXPECT_EQ(attr(sexes[0], "id"), "1");
    EXPECT_EQ(attr(sexes[1], "value"), "Nữ");
    EXPECT_EQ(load(folder + "/DMNNKD.xml")->documentElement().selectNodes("Item").size(), 21u);
    EXPECT_GE(load(folder + "/DMCTLHKT.xml")->documentElement().selectNodes("Item").size(), 10u);
}

// Items are picked by their names: under one parent no name may repeat, and no
// name carries blanks around it or doubled inside, in any catalogue.
TEST_F(InstallTree, CatalogueNamesAreUniqueUnderTheirParent) {
    const std::string folder = path(attr(menuEntry("100_7").firstChildElement("Validity").firstChildElement("Sheet"),
                                         "TemplateFolder"));
    std::vector<std::string> repeated, untidy;
    for (const char* file : {"DMDiaban.xml", "DMCQT.xml", "DMQuocGia.xml", "DMQuocTich.xml", "DMGioiTinh.xml",
                             "DMCTLHKT.xml", "DMNNKD.xml"}) {
        auto doc = load(folder + "/" + file);
        std::vector<Node> parents{doc->documentElement()};
        for (const Node& item : doc->documentElement().elementsByTagName("Item")) parents.push_back(item);
        for (const Node& parent : parents) {
            std::set<std::string> seen;
            for (const Node& item : parent.childElements("Item")) {
                const std::string value = attr(item, "value");
                if (!seen.insert(value).second) repeated.push_back(std::string(file) + ": " + value);
                if (value.empty() || value.front() == ' ' || value.back() == ' ' ||
                    value.find("  ") != std::string::npos)
                    untidy.push_back(std::string(file) + ": '" + value + "'");
            }
        }
    }
    EXPECT_TRUE(repeated.empty()) << repeated.size() << " repeated, first: " << repeated.front();
    EXPECT_TRUE(untidy.empty()) << untidy.size() << " untidy, first: " << untidy.front();

    if (!ZEVO_CATALOGUE_SAMPLE) {
        // Two wards of Thanh Hóa city share a name; each keeps its own code.
        auto places = load(folder + "/DMDiaban.xml");
        std::map<std::string, std::string> wards;
        for (const Node& w : places->documentElement().selectNodes("Item/Item/Item"))
            wards[attr(w, "id")] = attr(w, "value");
        EXPECT_EQ(wards["16387"], "Xã Đông Khê (16387)");
        EXPECT_EQ(wards["16408"], "Xã Đông Khê (16408)");
        EXPECT_EQ(wards["11350"], "Phường Đông Khê");
    }
}

TEST_F(InstallTree, MessagesCaptionsAndStatusTextsCoverWhatTheProgramAsks) {
    auto messages = load(root_ + "/Bin/Message.xml");
    std::set<std::string> ids;
    for (const Node& m : messages->documentElement().childElements()) {
        EXPECT_FALSE(attr(m, "Msg").empty()) << attr(m, "ID");
        EXPECT_TRUE(ids.insert(attr(m, "ID")).second) << attr(m, "ID");
    }
    EXPECT_EQ(messages->documentElement().name(), "Message");
    for (const char* id : {"0002", "0005", "0010", "0012", "0013", "0014", "0015", "0016", "0021", "0023", "0024",
                           "0025", "0026", "0033", "0037", "0038", "0040", "0041", "0057", "0070", "0072", "0075",
                           "0077", "0078", "0079", "0080", "0102", "0103", "0104", "0105", "0106", "0107", "0108",
                           "0109", "0120", "0121", "0122", "0123"})
        EXPECT_TRUE(ids.count(id)) << id;

    auto captions = load(root_ + "/Bin/Caption.xml");
    std::map<std::string, Node> sections;
    for (const Node& s : captions->documentElement().childElements()) sections[s.name()] = s;
    for (const char* s : {"mainForm", "frmInterfaces", "frmCommonInterfaces", "frmOKOnly", "frmYesNo", "frmYesNoCancel",
                          "frmOKCancel", "frmAbortRetryIgnore", "frmOKCancelRetry", "frmBackup", "frmRestore",
                          "frmDataBackup", "frmExcelBackup", "frmExcelSpecialBackup", "frmReports", "frmPreview",
                          "frmReportData"})
        EXPECT_TRUE(sections.count(s)) << s;
    auto controls = [&](const std::string& section) {
        std::set<std::string> names;
        for (const Node& c : sections[section].childElements()) names.insert(attr(c, "Name"));
        return names;
    };
    for (const char* s : {"mainForm", "frmCommonInterfaces", "frmInterfaces"})
        for (const char* c : {"cmdDelete", "cmdExport", "cmdImport", "cmdPrint", "cmdSave", "cmdExit", "lblTitle"})
            EXPECT_TRUE(controls(s).count(c)) << s << " " << c;
    for (const char* c : {"cmdNext", "cmdPrevious", "cmdZoom", "cmdPrint", "cmdClose"})
        EXPECT_TRUE(controls("frmPreview").count(c)) << c;
    EXPECT_TRUE(controls("frmOKOnly").count("cmdButton3"));
    EXPECT_EQ(controls("frmYesNoCancel").count("cmdButton1"), 1u);

    auto status = load(root_ + "/Bin/Status.xml");
    std::set<std::string> known;
    for (const Node& st : status->elementsByTagName("St")) known.insert(attr(st, "ID"));
    Node v = menuEntry("100_7").firstChildElement("Validity");
    int used = 0;
    for (const Node& s : v.childElements("Sheet")) {
        auto doc = load(path(attr(s, "TemplateFolder") + attr(s, "DataFile") + ".xml"));
        for (const Node& c : doc->elementsByTagName("Cell")) {
            if (attr(c, "StatusID").empty()) continue;
            ++used;
            EXPECT_TRUE(known.count(attr(c, "StatusID"))) << attr(c, "StatusID");
        }
    }
    EXPECT_GE(used, 20);
}

TEST_F(InstallTree, PicturesTheWindowsLoadArePresent) {
    for (const char* p : {"information.ico", "question.ico", "exclamation.ico", "critical.ico", "caption.bmp",
                          "RIGHT.BMP", "LEFT.BMP", "ZOOM.BMP", "PRINT.BMP", "CLOSE.BMP", "RIGHTDIS.BMP", "LEFTDIS.BMP",
                          "ZOOMDIS.BMP", "PRINTDIS.BMP", "CLOSEDIS.BMP"}) {
        fs::path f = fs::path(root_) / "Pictures" / p;
        ASSERT_TRUE(fs::exists(f)) << p;
        EXPECT_GT(fs::file_size(f), 100u) << p;
        std::ifstream in(f, std::ios::binary);
        char head[4] = {};
        in.read(head, 4);
        if (f.extension() == ".ico")   // reserved 0, type 1 (icon)
            EXPECT_TRUE(head[0] == 0 && head[1] == 0 && head[2] == 1 && head[3] == 0) << p;
        else
            EXPECT_TRUE(head[0] == 'B' && head[1] == 'M') << p;
    }
}

// The validation table is evaluated by the grid's own formula engine: every check
// yields 0 or 1, a blank form fails the blocking checks, a filled header passes.
TEST_F(InstallTree, ValidationTableEvaluatesOnTheGrid) {
    zevo::grid::SpreadModel grid;
    grid.loadWorkbook(path(attr(menuEntry("100_7").firstChildElement("Validity"), "InterfaceTemplate")));
    const int header = grid.sheetCount();
    auto checks = [&] {
        std::map<int, std::string> out;
        grid.setSheet(header);
        for (int r = 12; r <= 60; ++r) {
            grid.setCol(2);
            grid.setRow(r);
            if (!grid.formula().empty()) out[r] = grid.textAt(2, r);
        }
        return out;
    };
    auto blank = checks();
    ASSERT_GE(blank.size(), 3u);
    for (const auto& [row, value] : blank) EXPECT_TRUE(value == "0" || value == "1") << "B" << row << " = " << value;
    EXPECT_EQ(blank.at(12), "0");   // the organisation's tax code is required

    grid.setSheet(1);
    grid.setTextAt(11, 9, "0101234567");       // K9
    grid.setTextAt(11, 7, "Công ty TNHH Ánh Dương");
    grid.setTextAt(12, 13, "HNI - Cục Thuế thành phố Hà Nội");   // L13
    grid.setTextAt(12, 15, "Chi cục Thuế quận Ba Đình");         // L15
    grid.setTextAt(12, 19, "07/12/2026");      // L19
    for (const auto& [row, value] : checks()) EXPECT_EQ(value, "1") << "B" << row;

    // Kinds that follow from the workbook before template loading applies markers.
    grid.setSheet(1);
    auto kindAt = [&](int col, int row) {
        grid.setCol(col);
        grid.setRow(row);
        return grid.cellType();
    };
    EXPECT_EQ(kindAt(12, 17), zevo::grid::CellType::Number);   // L17, the declaration number
    EXPECT_EQ(kindAt(17, 19), zevo::grid::CellType::Number);   // Q19, the count
    EXPECT_EQ(kindAt(11, 38), zevo::grid::CellType::Edit);     // K38, the name
    EXPECT_EQ(kindAt(14, 38), zevo::grid::CellType::Edit);     // N38, a date typed as text
}
