#include "zevo/engine/SetupData.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <exception>
#include <filesystem>
#include <system_error>
#include <vector>

#include "EngineText.h"
#include "zevo/ErrorLog.h"
#include "zevo/RuntimeError.h"
#include "zevo/UserFolders.h"
#include "zevo/clsMessageBox.h"
#include "zevo/clsVariables.h"
#include "zevo/documents/Attributes.h"
#include "zevo/documents/DataFiles.h"
#include "zevo/documents/MessageLookup.h"
#include "zevo/sheetdocs/CellAddress.h"
#include "zevo/sheetdocs/RowShifting.h"

namespace zevo::engine {

using documents::GetAttributeValue;
using documents::SetAttributeValue;

namespace {

constexpr const char* kMsgOutOfBounds = "0077";
constexpr const char* kMsgTooLong = "0078";
constexpr const char* kMsgNotInList = "0079";
constexpr const char* kMsgInvalid = "0080";
constexpr const char* kMsgNoCopy = "0121";
constexpr const char* kMsgDamagedKept = "0124";

void replaceFirst(std::string& text, const std::string& marker, const std::string& by) {
    const std::size_t at = text.find(marker);
    if (at != std::string::npos) text.replace(at, marker.size(), by);
}

// Shows a parser's reason as it stands, with an OK button.
void showReason(const std::string& reason) {
    // A dialog that cannot be shown must not stop the load: presentMessage never fails.
    presentMessage({"", reason, msOKOnly, miCriticalError, 0});
}

// Tells the user about a data file that cannot be used, with the parser's reason;
// when no copy of it could be kept, also that it stays as it is until they agree.
void reportDamaged(const std::string& path, const std::string& reason, const std::string& copy) {
    try {
        MessageRequest request;
        if (copy.empty()) {
            request.id = kMsgNoCopy;
            request.text = path + ": " + reason + "\n\n" +
                           GetAttributeValue(documents::GetMessageNode(kMsgNoCopy), "Msg");
        } else {
            request.id = kMsgDamagedKept;
            std::string text = GetAttributeValue(documents::GetMessageNode(kMsgDamagedKept), "Msg");
            if (text.empty()) text = "%1: %2";
            replaceFirst(text, "%1", path);
            replaceFirst(text, "%2", copy);
            request.text = text + "\n\n" + reason;
        }
        request.style = msOKOnly;
        request.icon = miCriticalError;
        presentMessage(request);
    } catch (...) {
        // A dialog that cannot be shown must not stop the load.
    }
}

// Sheet documents are validated against their internal DTD: a well-formed file
// that breaks it (one CellID twice) is as damaged as an unreadable one.
xml::LoadResult loadSheetDocument(xml::Document& doc, const std::string& path) {
    xml::LoadResult result = doc.loadFile(path, xml::Trust::Installed, xml::Validation::InternalSubset);
    // Valid, but its Cells cannot be found by their CellID: every edit would be lost.
    if (result.ok() && !doc.declaresId("Cell", "CellID")) {
        result = {xml::LoadStatus::ParseError, "The DTD does not declare CellID an ID of Cell: " + path};
        doc.loadString("");   // the document is left empty, as after any failed load
    }
    return result;
}

class SheetLoader {
public:
    SheetLoader(DeclarationSession& session, grid::Spread& grid, int sheet,
                const xml::DocumentPtr& doc, bool fromBlank)
        : session_(session), grid_(grid), sheet_(sheet), doc_(doc), fromBlank_(fromBlank) {}

    void insertRowGroups(const std::vector<xml::Node>& cells) {
        grid_.setLoadEventsEnabled(false);
        std::string scratch;
        for (const xml::Node& cell : cells) {
            if (xml::attributeText(cell.raw(), "FirstCell", scratch) != "1") continue;
            int reportRows = 0, first = 0, last = 0;
            const int rows = sheetdocs::GetRowGroupSize(grid_, cell.parent(), reportRows, first, last);
            int col = 0, row = 0;
            sheetdocs::ParserCellID(grid_, GetAttributeValue(cell, "CellID"), col, row);
            sheetdocs::InsertRow(grid_, row, rows, true);
        }
    }

    void writeValues(const std::vector<xml::Node>& cells) {
        grid_.setLoadEventsEnabled(true);
        bool cursorPlaced = false;
        std::string scratch;
        for (const xml::Node& cell : cells) {
            const std::string id(xml::attributeText(cell.raw(), "CellID", scratch));
            int col = 0, row = 0;
            sheetdocs::ParserCellID(grid_, id, col, row);
            if (col < 1 || row < 1) continue;   // a Cell without a grid position holds nothing to show
            grid_.setSheet(sheet_);
            grid_.setPosition(col, row);
            if (!cursorPlaced && !grid_.locked()) {
                grid_.setActiveCell(col, row);
                cursorPlaced = true;
            }
            writeValue(cell, id, col, row);
        }
    }

private:
    // Re-addresses the cell: a change handler may have moved the current cell.
    void address(int col, int row) {
        grid_.setSheet(sheet_);
        grid_.setPosition(col, row);
    }

    void writeValue(const xml::Node& cell, const std::string& id, int col, int row) {
        std::string scratch;
        const std::string stored(xml::attributeText(cell.raw(), "Value", scratch));
        const grid::CellType type = grid_.cellType();
        switch (type) {
            case grid::CellType::Edit:
            case grid::CellType::Masked:
            case grid::CellType::ComboBox: {
                const char* message = type == grid::CellType::Edit     ? kMsgTooLong
                                      : type == grid::CellType::Masked ? kMsgInvalid
                                                                       : kMsgNotInList;
                if (fromBlank_ && stored != grid_.text()) {
                    SetAttributeValue(cell, "Value", grid_.text());
                    return;
                }
                grid_.setText(stored);
                address(col, row);
                const std::string kept = grid_.text();
                if (kept != stored) {
                    SetAttributeValue(cell, "Value", kept);
                    flag(id, message);
                }
                return;
            }
            case grid::CellType::CheckBox:
                if (stored == "x" || stored == "X") {
                    grid_.setText("1");
                    return;
                }
                grid_.setText("0");
                address(col, row);
                if (!stored.empty() && stored != "0") flag(id, kMsgInvalid);
                SetAttributeValue(cell, "Value", "");
                return;
            case grid::CellType::Number: {
                if (grid_.locked() && !grid_.formula().empty()) return;
                if (fromBlank_ && stored != grid_.value()) {
                    SetAttributeValue(cell, "Value", grid_.value());
                    return;
                }
                if (!text::isNumeric(stored)) {
                    flag(id, kMsgInvalid);
                    SetAttributeValue(cell, "Value", "0");
                }
                const double v = text::leadingValue(GetAttributeValue(cell, "Value"));
                if (v > grid_.numberMax() || v < grid_.numberMin()) {
                    SetAttributeValue(cell, "Value", "0");
                    flag(id, kMsgOutOfBounds);
                }
                address(col, row);
                grid_.setValue(GetAttributeValue(cell, "Value"));
                return;
            }
            default: {
                if (fromBlank_ && stored != grid_.value()) {
                    SetAttributeValue(cell, "Value", grid_.value());
                    return;
                }
                grid_.setValue(stored);
                address(col, row);
                const std::string kept = grid_.value();
                if (kept != stored) {
                    SetAttributeValue(cell, "Value", kept);
                    flag(id, kMsgInvalid);
                }
                return;
            }
        }
    }

    // Note and load-time colour on the current cell; its colour before the first
    // flag of this run is recorded.
    void flag(const std::string& id, const char* messageId) {
        session_.colourRestore.add(ColourRestoreRecord::key(sheet_, id), grid_.backColor());
        std::string note = GetAttributeValue(documents::GetMessageNode(messageId), "Msg");
        if (std::string(messageId) == kMsgTooLong) {
            note += std::to_string(grid_.maxEditLen());
        } else if (std::string(messageId) == kMsgOutOfBounds) {
            note += "[" + text::formatDouble(grid_.numberMin()) + ";" +
                    text::formatDouble(grid_.numberMax()) + "]";
        }
        grid_.setNote(note);
        grid_.setBackColor(sheetdocs::kWarningColour);
    }

    DeclarationSession& session_;
    grid::Spread& grid_;
    int sheet_;
    xml::DocumentPtr doc_;
    bool fromBlank_;
};

}  // namespace

void SetupData(DeclarationSession& session, grid::Spread& grid) {
    try {
        clsVariables vars;
        const xml::Node menu = vars.NodeMenu();
        const std::vector<xml::Node> entries = vars.NodeValidity().childElements("Sheet");
        session.colourRestore.clear();
        session.damagedFiles.clear();
        session.unstoredCells.clear();
        if (entries.empty())
            throw RuntimeError(err::kSubscriptOutOfRange, "The template version has no sheets");
        vars.xmlDataReDim(static_cast<int>(entries.size()) - 1);
        bool tryDataFiles = true;
        for (int i = 0; i <= vars.xmlDataCount(); ++i) {
            const int sheet = i + 1;
            grid.setSheet(sheet);
            session.currentSheet = sheet;
            bool fromBlank = false;
            xml::DocumentPtr doc = xml::Document::create();
            vars.Data(i, doc);
            const xml::Node entry = entries[i];
            const std::string blankPath = documents::blankSheetDocumentPath(entry);
            std::string dataPath = documents::sheetDataFilePath(menu, entry);
            if (static_cast<std::size_t>(i) < session.sheetSources.size()) dataPath = session.sheetSources[i];

            xml::LoadResult result;
            if (tryDataFiles) {
                result = loadSheetDocument(*doc, dataPath);
            } else {
                result = loadSheetDocument(*doc, blankPath);
                fromBlank = true;
            }
            if (!result.ok()) {
                if (result.status == xml::LoadStatus::NotFound && !fromBlank) {
                    // No data file for the first sheet: a new declaration, every
                    // sheet comes from its blank document.
                    if (i == 0) tryDataFiles = false;
                    fromBlank = true;
                    result = loadSheetDocument(*doc, blankPath);
                    if (!result.ok()) showReason(result.reason);
                } else if (!fromBlank) {
                    // The copy comes first, so that the message can say whether
                    // the file is safe.
                    std::string copyError;
                    const std::string copy = keepDamagedCopy(dataPath, copyError);
                    if (copy.empty())
                        WriteErrorLog("mdlFunctions", "SetupData", err::kPermissionDenied, copyError);
                    reportDamaged(dataPath, result.reason, copy);
                    session.damagedFiles.push_back({sheet, dataPath, copy, result.reason});
                    WriteErrorLog("mdlFunctions", "SetupData", err::kFileNotFound,
                                  dataPath + ": " + result.reason);
                    fromBlank = true;
                    if (!loadSheetDocument(*doc, blankPath).ok())
                        WriteErrorLog("mdlFunctions", "SetupData", err::kFileNotFound,
                                      blankPath + ": " + doc->lastLoad().reason);
                } else {
                    showReason(result.reason);
                }
            } else if (tryDataFiles) {
                SetAttributeValue(entry, "Active", "1");
            }

            const std::vector<xml::Node> cells = doc->elementsByTagName("Cell");
            SheetLoader loader(session, grid, sheet, doc, fromBlank);
            loader.insertRowGroups(cells);
            loader.writeValues(cells);
        }
    } catch (const std::exception& e) {
        WriteErrorLog("mdlFunctions", "SetupData", e);
    }
}

std::string keepDamagedCopy(const std::string& path, std::string& error) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path source(path);
    const fs::path folder = source.parent_path() / "Backup";
    try {
        createPrivateFolders(folder.string());
    } catch (const fs::filesystem_error& e) {
        ec = e.code();
    }
    if (!ec && !fs::is_directory(folder, ec)) ec = std::make_error_code(std::errc::not_a_directory);
    if (!ec) {
        const std::time_t now = std::time(nullptr);
        std::tm tm{};
        localtime_r(&now, &tm);
        char stamp[32];
        std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &tm);
        const std::string stem = source.stem().string() + "_damaged_" + stamp;
        fs::path target = folder / (stem + ".xml");
        for (int n = 2; fs::exists(target, ec); ++n)
            target = folder / (stem + "_" + std::to_string(n) + ".xml");
        if (fs::copy_file(source, target, ec) && !ec) {
            fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write, ec);   // personal data
            return target.string();
        }
    }
    error = "Cannot keep a copy of " + path + " in " + folder.string() + ": " +
            (ec ? ec.message() : std::string("copy failed"));
    return {};
}

}  // namespace zevo::engine
