#include "zevo/engine/IniFiles.h"

#include <exception>
#include <filesystem>

#include "EngineText.h"
#include "zevo/ErrorLog.h"
#include "zevo/clsMessageBox.h"
#include "zevo/clsVariables.h"
#include "zevo/documents/Attributes.h"
#include "zevo/sheetdocs/CellAddress.h"

namespace zevo::engine {

using documents::GetAttributeValue;

namespace {

void applyCell(grid::Spread& grid, const xml::Node& cell, bool interface) {
    int col = 0, row = 0;
    sheetdocs::ParserCellID(grid, GetAttributeValue(cell, "CellID"), col, row);
    if (col < 1 || row < 1) return;
    grid.setPosition(col, row);
    const double maxLen = text::leadingValue(GetAttributeValue(cell, "MaxLen"));
    if (maxLen != 0) grid.setMaxEditLen(static_cast<int>(maxLen));
    const grid::CellType type = grid.cellType();
    if (type == grid::CellType::Number) {
        grid.setNumberMin(text::leadingValue(GetAttributeValue(cell, "MinValue")));
        grid.setNumberMax(text::leadingValue(GetAttributeValue(cell, "MaxValue")));
    }
    if (interface && type == grid::CellType::Edit &&
        GetAttributeValue(cell, "TextNumberFormat") == "True")
        grid.setDigitsOnly(true);
    const std::string help = GetAttributeValue(cell, "HelpContextID");
    if (!help.empty()) grid.setTag(help + grid.tag());
}

}  // namespace

void LoadInitFiles(DeclarationSession& session, grid::Spread& grid, bool interface) {
    std::vector<xml::DocumentPtr>& docs = interface ? session.interfaceIni : session.reportIni;
    docs.clear();
    try {
        const std::vector<xml::Node> entries =
            clsVariables().NodeValidity().childElements("Sheet");
        const int last = grid.sheetCount() - 2;
        for (int i = 0; i <= last; ++i) {
            xml::DocumentPtr doc = xml::Document::create();
            docs.push_back(doc);
            if (i >= static_cast<int>(entries.size())) continue;
            const std::string name =
                GetAttributeValue(entries[i], interface ? "InterfaceIni" : "ReportIni");
            if (text::trimBlanks(name).empty()) continue;
            const std::string path = clsMessageBox().GetAbsolutePath(name);
            std::error_code ec;
            if (!std::filesystem::is_regular_file(path, ec)) continue;   // keep the workbook's limits
            xml::LoadResult result = doc->loadFile(path, xml::Trust::Installed);
            if (!result.ok()) {
                WriteErrorLog("mdlFunctions", "LoadInitFiles", err::kFileNotFound,
                              path + ": " + result.reason);
                continue;
            }
            grid.setSheet(i + 1);
            for (const xml::Node& cell : doc->elementsByTagName("Cell"))
                applyCell(grid, cell, interface);
            if (!interface) {
                const std::string orientation =
                    GetAttributeValue(doc->documentElement(), "PaperOrientation");
                if (!orientation.empty()) grid.setPrintLandscape(orientation == "Landscape");
            }
        }
    } catch (const std::exception& e) {
        WriteErrorLog("mdlFunctions", "LoadInitFiles", e);
    }
}

}  // namespace zevo::engine
