// Attributes of the addressed cell of the grid model: kind, lock, colours, note,
// limits, alignment, fonts and the like.
#include <algorithm>
#include <cmath>

#include "ModelImpl.h"
#include "zevo/RuntimeError.h"
#include "zevo/grid/SpreadModel.h"

namespace zevo::grid {

namespace {

// Applies `change` to the current cell's format.
template <class F>
void editFormat(SpreadModel::Impl& d, F&& change) {
    if (d.col < 1 || d.row < 1) return;
    Cell& c = d.ensureCell(d.cur(), d.col, d.row);
    change(d.mutableFormat(c), c);
}

}  // namespace

CellType SpreadModel::cellType() const { return d_->formatAt(d_->cur(), d_->col, d_->row).type; }

void SpreadModel::setCellType(CellType type) {
    editFormat(*d_, [&](CellFormat& f, Cell& c) {
        if (f.type == type) return;
        CellContent old = d_->contentOf(c);
        std::string carried = valueText(f, old);
        f.type = type;
        // The content carries over when the new kind takes it, otherwise it goes.
        auto kept = acceptInput(f, carried, true);
        d_->setContent(c, kept ? *kept : emptyContent(f));
        if (!(d_->contentOf(c) == old)) d_->markReaders(d_->addressed, d_->col, d_->row, d_->col, d_->row);
    });
}

bool SpreadModel::locked() const { return d_->formatAt(d_->cur(), d_->col, d_->row).locked; }
void SpreadModel::setLocked(bool locked) {
    editFormat(*d_, [&](CellFormat& f, Cell&) { f.locked = locked; });
}

Colour SpreadModel::backColor() const {
    return d_->formatAt(d_->cur(), d_->col, d_->row).fill.value_or(kWhite);
}
void SpreadModel::setBackColor(Colour colour) {
    editFormat(*d_, [&](CellFormat& f, Cell&) { f.fill = colour; });
}

std::string SpreadModel::note() const {
    const Cell* c = d_->cur().cellPtr(d_->col, d_->row);
    return c ? c->note : std::string();
}
void SpreadModel::setNote(const std::string& note) {
    if (d_->col < 1 || d_->row < 1) return;
    if (note.empty() && !d_->cur().cellPtr(d_->col, d_->row)) return;
    d_->ensureCell(d_->cur(), d_->col, d_->row).note = note;
}

int SpreadModel::maxEditLen() const { return d_->formatAt(d_->cur(), d_->col, d_->row).maxLen; }
void SpreadModel::setMaxEditLen(int length) {
    editFormat(*d_, [&](CellFormat& f, Cell&) { f.maxLen = std::max(0, length); });
}

double SpreadModel::numberMin() const { return d_->formatAt(d_->cur(), d_->col, d_->row).numberMin; }
double SpreadModel::numberMax() const { return d_->formatAt(d_->cur(), d_->col, d_->row).numberMax; }
void SpreadModel::setNumberMin(double v) {
    editFormat(*d_, [&](CellFormat& f, Cell&) { f.numberMin = v; });
}
void SpreadModel::setNumberMax(double v) {
    editFormat(*d_, [&](CellFormat& f, Cell&) { f.numberMax = v; });
}
void SpreadModel::setNumberSeparators(const std::string& thousands, const std::string& decimal,
                                      bool show) {
    editFormat(*d_, [&](CellFormat& f, Cell&) {
        f.thousands = thousands;
        f.decimalPoint = decimal.empty() ? "." : decimal;
        f.showSeparators = show;
    });
}

bool SpreadModel::digitsOnly() const { return d_->formatAt(d_->cur(), d_->col, d_->row).digitsOnly; }
void SpreadModel::setDigitsOnly(bool digits) {
    editFormat(*d_, [&](CellFormat& f, Cell&) { f.digitsOnly = digits; });
}

std::string SpreadModel::comboList() const { return d_->formatAt(d_->cur(), d_->col, d_->row).comboList; }
void SpreadModel::setComboList(const std::string& items) {
    editFormat(*d_, [&](CellFormat& f, Cell& c) {
        f.comboList = ComboList(items);
        if (f.type != CellType::ComboBox) return;
        // The selection follows the new list: kept when the text is still an item.
        c.comboIndex = c.text.empty() ? -1 : f.comboList.indexOf(c.text);
    });
}

int SpreadModel::comboIndex() const {
    const Cell* c = d_->cur().cellPtr(d_->col, d_->row);
    return c ? c->comboIndex : -1;
}

void SpreadModel::setComboIndex(int index) {
    if (d_->col < 1 || d_->row < 1) return;
    const CellFormat& f = d_->formatAt(d_->cur(), d_->col, d_->row);
    const ComboList list = f.comboList;   // listeners of the write may change the cell
    const bool combo = f.type == CellType::ComboBox;
    if (index < 0 || index >= static_cast<int>(list.items().size())) {
        d_->write(d_->addressed, d_->col, d_->row, "", false, true);
        return;
    }
    const std::string& item = list.items()[static_cast<std::size_t>(index)];
    d_->write(d_->addressed, d_->col, d_->row, item, false, true);
    if (combo) {
        // Duplicate items: the chosen index wins over the first match.
        Cell* c = d_->cur().cellPtr(d_->col, d_->row);
        if (c && !c->formula && c->text == item) c->comboIndex = index;
    }
}

std::string SpreadModel::mask() const { return d_->formatAt(d_->cur(), d_->col, d_->row).mask; }
void SpreadModel::setMask(const std::string& mask) {
    editFormat(*d_, [&](CellFormat& f, Cell&) { f.mask = mask; });
}
std::string SpreadModel::placeholder() const {
    return d_->formatAt(d_->cur(), d_->col, d_->row).placeholder;
}
void SpreadModel::setPlaceholder(const std::string& text) {
    editFormat(*d_, [&](CellFormat& f, Cell&) { f.placeholder = text; });
}
std::string SpreadModel::checkCaption() const {
    return d_->formatAt(d_->cur(), d_->col, d_->row).checkCaption;
}
void SpreadModel::setCheckCaption(const std::string& caption) {
    editFormat(*d_, [&](CellFormat& f, Cell&) { f.checkCaption = caption; });
}
std::string SpreadModel::tag() const { return d_->formatAt(d_->cur(), d_->col, d_->row).tag; }
void SpreadModel::setTag(const std::string& tag) {
    editFormat(*d_, [&](CellFormat& f, Cell&) { f.tag = tag; });
}
HAlign SpreadModel::hAlign() const { return d_->formatAt(d_->cur(), d_->col, d_->row).hAlign; }
void SpreadModel::setHAlign(HAlign align) {
    editFormat(*d_, [&](CellFormat& f, Cell&) { f.hAlign = align; });
}
FontData SpreadModel::font() const { return d_->formatAt(d_->cur(), d_->col, d_->row).font; }
void SpreadModel::setFont(const FontData& font) {
    editFormat(*d_, [&](CellFormat& f, Cell&) { f.font = font; });
}

void SpreadModel::setFormatAt(int col, int row, const CellFormat& format) {
    if (col < 1 || row < 1) return;
    Cell& c = d_->ensureCell(d_->cur(), col, row);
    c.fmt = std::make_shared<const CellFormat>(format);
}

}  // namespace zevo::grid
