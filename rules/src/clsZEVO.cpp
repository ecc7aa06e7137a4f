#include "clsZEVO.h"

#include "zevo/RuntimeError.h"
#include "zevo/clsMessageBox.h"
#include "zevo/sheetdocs/CellAddress.h"
#include "zevo/rules/mdlFuntions.h"

namespace zevo::rules {

namespace {
constexpr int kFirstListRow = 38;
// Columns whose content decides whether deleting a row needs confirmation.
constexpr const char* kDeleteContentColumns[] = {
    "G", "K", "N", "Q", "S", "T", "U", "V", "W", "X", "Y", "Z",
    "AB", "AD", "AF", "AH", "AI", "AK", "AM", "AO", "AP", "AQ", "AU"};
}  // namespace

clsZEVO::~clsZEVO() {
    if (fps_) fps_->removeListener(this);
}

void clsZEVO::fps(grid::Spread* g) {
    if (g == fps_) return;
    if (fps_) fps_->removeListener(this);
    fps_ = g;
    if (fps_) fps_->addListener(this);
}

grid::Spread& clsZEVO::grid() const {
    if (!fps_) throw RuntimeError(err::kObjectRequired, "Object required: no grid");
    return *fps_;
}

int clsZEVO::colOf(const char* letters) const { return grid().colNumber(letters); }

std::string clsZEVO::letters(int col) const { return grid().colLetters(col); }

std::string clsZEVO::cellText(int col, int row) const {
    grid().setCol(col);
    grid().setRow(row);
    return grid().text();
}

void clsZEVO::putCell(int col, int row, const std::string& text) {
    grid().setPosition(currentSheetNumber(), col, row);
    grid().setText(text);
    SetCellValue(grid(), col, row, text);
}

int clsZEVO::takeEventSheet() {
    int sheet = grid().activeSheet();
    if (sheet < 1) sheet = grid().sheet();
    grid().setSheet(sheet);
    setCurrentSheetNumber(sheet);
    return sheet;
}

int clsZEVO::lastRow() const { return grid().maxRows(); }

bool clsZEVO::DeleteEnable(std::int16_t& Keycode, std::int16_t& Shift) {
    grid::Spread& g = grid();
    const int sheet = takeEventSheet();
    const int row = g.activeRow();
    if (sheet != 1 || row < kFirstListRow || Keycode != grid::keys::kF6) return true;
    std::string content;
    for (const char* column : kDeleteContentColumns) {
        std::string text = g.textAt(colOf(column), row);
        text = removeAll(removeAll(std::move(text), "0"), "../../....");
        content += text::trimSpaces(text);
    }
    if (content.empty()) return true;
    const int answer = clsMessageBox().DisplayMessage("0106", msYesNo, miQuestion, "Message", mrNo);
    return answer != mrNo;
}

}  // namespace zevo::rules
