#pragma once
// A small three-sheet declaration kind built in a private folder: a menu entry, blank
// sheet documents and an in-memory workbook whose first sheet holds one data cell of
// every kind and a one-row dynamic list.
#include <string>
#include <vector>

#include "EngineTestSupport.h"
#include "zevo/documents/Attributes.h"
#include "zevo/engine/DeclarationSession.h"
#include "zevo/grid/SpreadModel.h"

namespace zevo::engine::test {

inline const char* kTestMessages =
    "<Item ID=\"0075\" Msg=\"Xoa dong?\"/>"
    "<Item ID=\"0077\" Msg=\"Ngoai gioi han \"/>"
    "<Item ID=\"0078\" Msg=\"Dai qua, toi da \"/>"
    "<Item ID=\"0079\" Msg=\"Khong co trong danh muc.\"/>"
    "<Item ID=\"0080\" Msg=\"Khong hop le.\"/>";

constexpr grid::Colour kEntryColour = grid::rgb(204, 255, 255);

class SetupDataTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        useMessages(kTestMessages);
        templates_ = dir_ / "Templates";
        data_ = dir_ / "data";
        fs::create_directories(data_);
        clsVariables vars;
        vars.DataFolder(data_.string() + "/");
        std::string menu = "<Root><Menu ID=\"T\" Year=\"0\"><Validity StartDate=\"01/01/2009\">";
        for (int i = 1; i <= 3; ++i)
            menu += "<Sheet Caption=\"S" + std::to_string(i) + "\" Active=\"0\" TemplateFolder=\"" +
                    templates_.string() + "/\" DataFile=\"D" + std::to_string(i) + "\"/>";
        menu += "</Validity></Menu></Root>";
        menuDoc_ = xml::Document::fromString(menu);
        vars.NodeMenu(menuDoc_->documentElement().firstChildElement("Menu"));
        vars.NodeValidity(vars.NodeMenu().firstChildElement("Validity"));
        for (int i = 1; i <= 3; ++i) writeFile(templates_ / ("D" + std::to_string(i) + ".xml"), blank(i));
        buildGrid();
    }

    // Blank document of sheet i: the preset cell B3 (empty Value) on every sheet;
    // sheet 1 also the cells of every kind and the list row 11.
    static std::string blank(int sheet) {
        std::string cells = "<Cell CellID=\"B_3\" CellID2=\"B_3\" Value=\"\"/>";
        if (sheet == 1)
            cells += "<Cell CellID=\"B_2\" Value=\"\"/><Cell CellID=\"B_4\" Value=\"\"/>"
                     "<Cell CellID=\"B_5\" Value=\"\"/><Cell CellID=\"B_6\" Value=\"0\"/>"
                     "<Cell CellID=\"B_7\" Value=\"0\"/><Cell CellID=\"B_8\" Value=\"\"/>"
                     "<Cell CellID=\"B_9\" Value=\"\"/>";
        std::string doc = std::string(kDocumentHead) + "<Sections><Section Dynamic=\"0\"><Cells>" +
                          cells + "</Cells></Section>";
        if (sheet == 1)
            doc += "<Section Dynamic=\"1\" MaxRows=\"3\"><Cells><Cell CellID=\"B_11\" CellID2=\"B_20\" "
                   "Value=\"\" FirstCell=\"0\"/><Cell CellID=\"C_11\" CellID2=\"C_20\" Value=\"0\"/></Cells></Section>";
        return doc + "</Sections>";
    }

    // A data file of sheet 1 with the given values of B2 .. B9 (in that order) and
    // extra list rows (values of B on rows 12, 13, ...).
    static std::string dataFile(const std::vector<std::string>& values,
                                const std::vector<std::string>& listRows = {}) {
        std::string cells = "<Cell CellID=\"B_3\" CellID2=\"B_3\" Value=\"Preset\"/>";
        const char* ids[] = {"B_2", "B_4", "B_5", "B_6", "B_7", "B_8", "B_9"};
        for (std::size_t i = 0; i < values.size() && i < 7; ++i)
            cells += std::string("<Cell CellID=\"") + ids[i] + "\" Value=\"" + values[i] + "\"/>";
        std::string doc = std::string(kDocumentHead) + "<Sections><Section Dynamic=\"0\"><Cells>" +
                          cells + "</Cells></Section><Section Dynamic=\"1\" MaxRows=\"3\">"
                          "<Cells><Cell CellID=\"B_11\" CellID2=\"B_20\" Value=\"first\" FirstCell=\"0\"/>"
                          "<Cell CellID=\"C_11\" CellID2=\"C_20\" Value=\"1\"/></Cells>";
        for (std::size_t i = 0; i < listRows.size(); ++i) {
            const std::string r = std::to_string(12 + i), r2 = std::to_string(21 + i);
            doc += "<Cells><Cell CellID=\"B_" + r + "\" CellID2=\"B_" + r2 + "\" Value=\"" +
                   listRows[i] + "\" FirstCell=\"1\"/><Cell CellID=\"C_" + r + "\" CellID2=\"C_" + r2 +
                   "\" Value=\"" +
                   std::to_string(i + 2) + "\"/></Cells>";
        }
        return doc + "</Section></Sections>";
    }

    void buildGrid() {
        grid::WorkbookData book;
        grid::StyleData open;
        open.locked = false;
        open.fill = kEntryColour;
        book.styles.push_back(open);   // 1: entry cell
        grid::StyleData number = open;
        number.numberFormat = "0";
        book.styles.push_back(number);   // 2: number entry
        auto cell = [](int c, int r, const std::string& text, int style) {
            grid::CellData d;
            d.col = c;
            d.row = r;
            d.type = text.empty() ? grid::CellValueType::Empty : grid::CellValueType::String;
            d.text = text;
            d.style = style;
            return d;
        };
        for (int s = 1; s <= 4; ++s) {
            grid::SheetData sheet;
            sheet.name = s == 4 ? "Header" : "S" + std::to_string(s);
            sheet.maxCol = 4;
            sheet.maxRow = 14;
            sheet.hidden = s == 4;
            sheet.cells.push_back(cell(2, 3, "Preset", 1));
            if (s == 1) {
                for (int r : {2, 4, 5, 8, 9}) sheet.cells.push_back(cell(2, r, "", 1));
                for (int r : {6, 7}) sheet.cells.push_back(cell(2, r, "", 2));
                sheet.cells.push_back(cell(1, 10, "No", 0));
                sheet.cells.push_back(cell(2, 11, "", 1));
                sheet.cells.push_back(cell(3, 11, "", 2));
                sheet.cells.push_back(cell(1, 12, "aa", 0));
                std::sort(sheet.cells.begin(), sheet.cells.end(),
                          [](const grid::CellData& a, const grid::CellData& b) {
                              return a.row != b.row ? a.row < b.row : a.col < b.col;
                          });
            }
            book.sheets.push_back(sheet);
        }
        grid_.fromWorkbookData(book);
        grid_.setSheet(1);
        grid_.setPosition(2, 2);
        grid_.setMaxEditLen(20);
        for (int r : {4, 5}) {
            grid_.setPosition(2, r);
            grid_.setCellType(grid::CellType::CheckBox);
        }
        for (int r : {6, 7}) {
            grid_.setPosition(2, r);
            grid_.setNumberMin(0);
            grid_.setNumberMax(100);
        }
        grid_.setPosition(2, 8);
        grid_.setCellType(grid::CellType::ComboBox);
        grid_.setComboList("Alpha\tBeta\t");
        grid_.setPosition(2, 9);
        grid_.setCellType(grid::CellType::Masked);
        grid_.setMask("99//99//9999");
    }

    std::string stored(int sheetIndex, const std::string& id) const {
        return documents::GetAttributeValue(clsVariables().Data(sheetIndex)->elementById(id), "Value");
    }
    std::string active(int i) const {
        return documents::GetAttributeValue(
            clsVariables().NodeValidity().childElements("Sheet").at(i), "Active");
    }
    grid::Colour colourAt(int sheet, int c, int r) {
        grid_.setPosition(sheet, c, r);
        return grid_.backColor();
    }

    fs::path templates_, data_;
    xml::DocumentPtr menuDoc_;
    grid::SpreadModel grid_;
    DeclarationSession session_;
};

}  // namespace zevo::engine::test
