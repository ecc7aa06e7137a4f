#include "zevo/grid/PagePainter.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPen>

#include <algorithm>
#include <map>
#include <set>

#include "CellText.h"

namespace zevo::grid {

namespace {

constexpr double kPointsPerInch = 72;
constexpr double kScreenDpi = 96;   // column widths are screen pixels

QColor toQColor(Colour c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

// Families of the Windows forms that Linux lacks: the always-present DejaVu faces
// stand in, and they carry every Vietnamese letter.
QString familyFor(const std::string& name) {
    static const std::set<std::string> kSerif = {"Times New Roman", "VNI-Times", ".VnTime", ".VnTimeH", "Cambria", "Georgia"};
    if (kSerif.count(name)) return QStringLiteral("DejaVu Serif");
    static const std::set<std::string> kMono = {"Courier New", "Consolas", "Lucida Console"};
    if (kMono.count(name)) return QStringLiteral("DejaVu Sans Mono");
    return QStringLiteral("DejaVu Sans");
}

}  // namespace

struct PagePainter::Layout {
    QRectF content;                 // where the sheet is drawn on every page
    double scale = 1;               // fit-to-width factor (<= 1)
    std::vector<double> colX;       // colX[c] = left edge of column c (1-based), colX[maxCol + 1] = right edge
    std::vector<double> rowH;       // rowH[r] = device height of row r (1-based)
    std::vector<std::pair<int, int>> pages;   // first and last row of each page
};

PagePainter::PagePainter(const SheetData& sheet, const std::vector<StyleData>& styles) : sheet_(sheet), styles_(styles) {}

void PagePainter::setResolution(double dpiX, double dpiY) {
    if (dpiX > 0) dpiX_ = dpiX;
    if (dpiY > 0) dpiY_ = dpiY;
}

void PagePainter::setUseMargins(bool use) { useMargins_ = use; }

PagePainter::Layout PagePainter::layout(const QRectF& pageRect) const {
    Layout l;
    const int maxCol = std::clamp(sheet_.maxCol, 0, 16384);
    const int maxRow = std::clamp(sheet_.maxRow, 0, 1048576);
    if (maxCol == 0 || maxRow == 0 || pageRect.width() <= 0 || pageRect.height() <= 0) return l;

    l.content = pageRect;
    if (useMargins_) {
        const QRectF inner = pageRect.adjusted(sheet_.marginLeft * dpiX_, sheet_.marginTop * dpiY_,
                                               -sheet_.marginRight * dpiX_, -sheet_.marginBottom * dpiY_);
        // Margins that leave no room are ignored rather than printing nothing.
        if (inner.width() > pageRect.width() / 4 && inner.height() > pageRect.height() / 4) l.content = inner;
    }

    std::vector<double> widths(static_cast<std::size_t>(maxCol) + 1, 0);
    double used = 0;
    for (int c = 1; c <= maxCol; ++c) {
        auto it = sheet_.colWidthsPx.find(c);
        const double px = it == sheet_.colWidthsPx.end() ? kSheetDefaultColWidthPx : std::max(0.0, it->second);
        widths[static_cast<std::size_t>(c)] = px / kScreenDpi * dpiX_;
        used += widths[static_cast<std::size_t>(c)];
    }
    l.scale = used > l.content.width() ? l.content.width() / used : 1.0;
    l.colX.assign(static_cast<std::size_t>(maxCol) + 2, 0);
    for (int c = 1; c <= maxCol; ++c)
        l.colX[static_cast<std::size_t>(c) + 1] = l.colX[static_cast<std::size_t>(c)] + widths[static_cast<std::size_t>(c)] * l.scale;

    l.rowH.assign(static_cast<std::size_t>(maxRow) + 1, 0);
    for (int r = 1; r <= maxRow; ++r) {
        auto it = sheet_.rowHeightsPt.find(r);
        const double pt = it == sheet_.rowHeightsPt.end() ? sheet_.defaultRowHeightPt : std::max(0.0, it->second);
        l.rowH[static_cast<std::size_t>(r)] = pt / kPointsPerInch * dpiY_ * l.scale;
    }

    const std::set<int> breaks(sheet_.rowBreaks.begin(), sheet_.rowBreaks.end());
    const double pageHeight = l.content.height();
    int first = 1;
    double y = 0;
    bool hasVisible = false;
    bool breakPending = false;
    for (int r = 1; r <= maxRow; ++r) {
        const double h = l.rowH[static_cast<std::size_t>(r)];
        if (h > 0) {
            // A new page starts at a visible row, so no page holds hidden rows only.
            if (hasVisible && (breakPending || y + h > pageHeight)) {
                l.pages.emplace_back(first, r - 1);
                first = r;
                y = 0;
            }
            breakPending = false;
            y += h;
            hasVisible = true;
        }
        if (breaks.count(r)) breakPending = true;
    }
    if (hasVisible) l.pages.emplace_back(first, maxRow);
    return l;
}

int PagePainter::pageCount(const QRectF& pageRect) const { return static_cast<int>(layout(pageRect).pages.size()); }

namespace {

// Where the rows and columns of one page lie on the device.
class PageGeometry {
public:
    PageGeometry(const QRectF& content, const std::vector<double>& colX, const std::vector<double>& rowH,
                 int firstRow, int lastRow)
        : firstRow(firstRow), lastRow(lastRow), maxCol(static_cast<int>(colX.size()) - 2), content_(content),
          colX_(colX), rowH_(rowH), rowY_(at(lastRow) + 2, 0) {
        for (int r = firstRow; r <= lastRow; ++r) rowY_[at(r) + 1] = rowY_[at(r)] + height(r);
    }

    double height(int row) const { return rowH_[at(row)]; }
    double top(int row) const { return content_.top() + rowY_[at(std::clamp(row, firstRow, lastRow + 1))]; }
    double left(int col) const { return content_.left() + colX_[at(std::clamp(col, 1, maxCol + 1))]; }
    // The rectangle of the cells from (col0, row0) to (col1, row1).
    QRectF span(int col0, int row0, int col1, int row1) const {
        return QRectF(QPointF(left(col0), top(row0)), QPointF(left(col1 + 1), top(row1 + 1)));
    }

    const int firstRow, lastRow, maxCol;

private:
    static std::size_t at(int i) { return static_cast<std::size_t>(i); }

    QRectF content_;
    const std::vector<double>& colX_;
    const std::vector<double>& rowH_;
    std::vector<double> rowY_;   // rowY_[r] = top of row r from the page's first row
};

struct Item {
    QRectF rect;
    const CellData* cell;
    const StyleData* style;
    bool anchorHere;   // the block's first row is on this page: its text is drawn
};

// The drawing boxes of a page: a cell each, a merged block as one box from its first
// row with height on the page; the cells a block covers are not boxes of their own.
class PageItems {
public:
    PageItems(const SheetData& sheet, const std::vector<StyleData>& styles, const PageGeometry& g)
        : sheet_(sheet), styles_(styles), g_(g) {
        auto it = std::lower_bound(sheet.cells.begin(), sheet.cells.end(), g.firstRow,
                                   [](const CellData& c, int row) { return c.row < row; });
        for (; it != sheet.cells.end() && it->row <= g.lastRow; ++it)
            if (it->row >= g.firstRow && it->col >= 1 && it->col <= g.maxCol) cells_[{it->row, it->col}] = &*it;
        for (const auto& m : sheet.merges) addBlock(m);
    }

    std::vector<Item> items() const {
        std::vector<Item> out;
        for (int r = g_.firstRow; r <= g_.lastRow; ++r) {
            if (g_.height(r) <= 0) continue;
            for (int c = 1; c <= g_.maxCol; ++c) {
                if (auto b = blockAt_.find({r, c}); b != blockAt_.end()) {
                    const MergeData& m = *b->second;
                    const QRectF rect = g_.span(m.firstCol, r, std::min(m.lastCol, g_.maxCol), std::min(m.lastRow, g_.lastRow));
                    const CellData* anchor = cellAt(m.firstRow, m.firstCol);
                    if (rect.width() > 0 && rect.height() > 0)
                        out.push_back({rect, anchor, styleOf(anchor, m.firstCol), m.firstRow >= g_.firstRow});
                    continue;
                }
                if (covered_.count({r, c})) continue;
                const QRectF rect = g_.span(c, r, c, r);
                if (rect.width() <= 0) continue;
                const CellData* cell = cellAt(r, c);
                out.push_back({rect, cell, styleOf(cell, c), true});
            }
        }
        return out;
    }

private:
    void addBlock(const MergeData& m) {
        if (m.lastRow < g_.firstRow || m.firstRow > g_.lastRow || m.firstCol > g_.maxCol) return;
        int r0 = std::max(m.firstRow, g_.firstRow);
        const int r1 = std::min(m.lastRow, g_.lastRow);
        const int c1 = std::min(m.lastCol, g_.maxCol);
        for (int r = r0; r <= r1; ++r)
            for (int c = m.firstCol; c <= c1; ++c) covered_.insert({r, c});
        while (r0 <= r1 && g_.height(r0) <= 0) ++r0;
        if (r0 <= r1) blockAt_[{r0, m.firstCol}] = &m;
    }

    const CellData* cellAt(int row, int col) const {
        auto it = cells_.find({row, col});
        return it == cells_.end() ? nullptr : it->second;
    }

    const StyleData* styleOf(const CellData* cell, int col) const {
        int index = 0;
        if (cell) index = cell->style;
        else if (auto s = sheet_.colStyles.find(col); s != sheet_.colStyles.end()) index = s->second;
        if (index < 0 || static_cast<std::size_t>(index) >= styles_.size()) index = 0;
        static const StyleData kPlain;
        return styles_.empty() ? &kPlain : &styles_[static_cast<std::size_t>(index)];
    }

    const SheetData& sheet_;
    const std::vector<StyleData>& styles_;
    const PageGeometry& g_;
    std::map<std::pair<int, int>, const CellData*> cells_;
    std::map<std::pair<int, int>, const MergeData*> blockAt_;   // top-left visible corner on this page
    std::set<std::pair<int, int>> covered_;
};

int alignmentFlags(const StyleData& s, const CellData& cell) {
    int flags = 0;
    switch (s.hAlign) {
        case HAlign::Left: flags |= Qt::AlignLeft; break;
        case HAlign::Center: flags |= Qt::AlignHCenter; break;
        case HAlign::Right: flags |= Qt::AlignRight; break;
        case HAlign::General:
            flags |= cell.type == CellValueType::Number ? Qt::AlignRight
                   : cell.type == CellValueType::String ? Qt::AlignLeft : Qt::AlignHCenter;
            break;
    }
    switch (s.vAlign) {
        case VAlign::Top: flags |= Qt::AlignTop; break;
        case VAlign::Center: flags |= Qt::AlignVCenter; break;
        case VAlign::Bottom: flags |= Qt::AlignBottom; break;
    }
    return flags;
}

QFont fontFor(const FontData& font, double scale) {
    QFont f(familyFor(font.name));
    f.setPointSizeF(std::max(1.0, font.size * scale));
    f.setBold(font.bold);
    f.setItalic(font.italic);
    f.setUnderline(font.underline);
    return f;
}

// The texts of the boxes, clipped to their boxes; unwrapped left-aligned text runs
// on over empty neighbours, as spreadsheets print it.
void paintTexts(QPainter& painter, const std::vector<Item>& items, const QRectF& content, double pad,
                double scale) {
    std::map<const StyleData*, QFont> fonts;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const Item& item = items[i];
        if (!item.cell || !item.anchorHere) continue;
        const std::string text = paint::displayText(*item.cell, *item.style);
        if (text.empty()) continue;
        const StyleData& s = *item.style;
        auto cached = fonts.find(item.style);
        if (cached == fonts.end()) cached = fonts.emplace(item.style, fontFor(s.font, scale)).first;
        const QFont& font = cached->second;
        painter.setFont(font);
        painter.setPen(toQColor(s.font.colour));

        int flags = alignmentFlags(s, *item.cell);
        QRectF rect = item.rect.adjusted(pad, 0, -pad, 0);
        if (s.wrap) {
            flags |= Qt::TextWordWrap;
        } else if ((flags & Qt::AlignLeft) && item.cell->type == CellValueType::String) {
            const double need = QFontMetricsF(font, painter.device()).horizontalAdvance(QString::fromStdString(text));
            for (std::size_t j = i + 1; j < items.size() && rect.width() < need; ++j) {
                const Item& next = items[j];
                if (next.rect.top() != item.rect.top() || next.rect.height() != item.rect.height()) break;
                if (next.cell && !paint::displayText(*next.cell, *next.style).empty()) break;
                rect.setRight(next.rect.right() - pad);
            }
        }
        painter.save();
        painter.setClipRect(rect.intersected(content).adjusted(-pad, 0, pad, 0));
        painter.drawText(rect, flags, QString::fromStdString(text));
        painter.restore();
    }
}

}  // namespace

void PagePainter::paintPage(QPainter& painter, int page, const QRectF& pageRect) const {
    const Layout l = layout(pageRect);
    if (page < 1 || page > static_cast<int>(l.pages.size())) return;
    const auto [firstRow, lastRow] = l.pages[static_cast<std::size_t>(page) - 1];
    const PageGeometry geometry(l.content, l.colX, l.rowH, firstRow, lastRow);
    const std::vector<Item> items = PageItems(sheet_, styles_, geometry).items();

    painter.save();
    painter.setClipRect(l.content);
    painter.setRenderHint(QPainter::Antialiasing, false);

    for (const Item& item : items)
        if (item.style->fill && *item.style->fill != kWhite) painter.fillRect(item.rect, toQColor(*item.style->fill));

    QPen border(Qt::black);
    border.setWidthF(std::max(1.0, dpiX_ / kScreenDpi * l.scale));
    painter.setPen(border);
    painter.setBrush(Qt::NoBrush);
    for (const Item& item : items)
        if (item.style->border) painter.drawRect(item.rect);

    paintTexts(painter, items, l.content, 2.0 / kScreenDpi * dpiX_ * l.scale, l.scale);
    painter.restore();
}

}  // namespace zevo::grid
