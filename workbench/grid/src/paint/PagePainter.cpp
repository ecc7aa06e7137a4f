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

void PagePainter::paintPage(QPainter& painter, int page, const QRectF& pageRect) const {
    const Layout l = layout(pageRect);
    if (page < 1 || page > static_cast<int>(l.pages.size())) return;
    const auto [firstRow, lastRow] = l.pages[static_cast<std::size_t>(page) - 1];
    const int maxCol = static_cast<int>(l.colX.size()) - 2;

    std::vector<double> rowY(static_cast<std::size_t>(lastRow) + 2, 0);
    for (int r = firstRow; r <= lastRow; ++r)
        rowY[static_cast<std::size_t>(r) + 1] = rowY[static_cast<std::size_t>(r)] + l.rowH[static_cast<std::size_t>(r)];
    auto top = [&](int r) { return l.content.top() + rowY[static_cast<std::size_t>(std::clamp(r, firstRow, lastRow + 1))]; };
    auto left = [&](int c) { return l.content.left() + l.colX[static_cast<std::size_t>(std::clamp(c, 1, maxCol + 1))]; };

    // Cells of the page by position.
    std::map<std::pair<int, int>, const CellData*> cells;
    auto it = std::lower_bound(sheet_.cells.begin(), sheet_.cells.end(), firstRow,
                               [](const CellData& c, int row) { return c.row < row; });
    for (; it != sheet_.cells.end() && it->row <= lastRow; ++it)
        if (it->row >= firstRow && it->col >= 1 && it->col <= maxCol) cells[{it->row, it->col}] = &*it;

    // Merged blocks touching the page; covered cells are drawn as part of their block.
    std::map<std::pair<int, int>, const MergeData*> blockAt;   // top-left visible corner on this page
    std::set<std::pair<int, int>> covered;
    for (const auto& m : sheet_.merges) {
        if (m.lastRow < firstRow || m.firstRow > lastRow || m.firstCol > maxCol) continue;
        int r0 = std::max(m.firstRow, firstRow);
        const int r1 = std::min(m.lastRow, lastRow);
        const int c1 = std::min(m.lastCol, maxCol);
        for (int r = r0; r <= r1; ++r)
            for (int c = m.firstCol; c <= c1; ++c) covered.insert({r, c});
        // The block is drawn from its first row that has height on this page.
        while (r0 <= r1 && l.rowH[static_cast<std::size_t>(r0)] <= 0) ++r0;
        if (r0 <= r1) blockAt[{r0, m.firstCol}] = &m;
    }

    struct Item {
        QRectF rect;
        const CellData* cell;
        const StyleData* style;
        bool anchorHere;   // the block's first row is on this page: its text is drawn
    };
    auto styleOf = [&](const CellData* cell, int col) -> const StyleData* {
        int index = 0;
        if (cell) index = cell->style;
        else if (auto s = sheet_.colStyles.find(col); s != sheet_.colStyles.end()) index = s->second;
        if (index < 0 || static_cast<std::size_t>(index) >= styles_.size()) index = 0;
        static const StyleData kPlain;
        return styles_.empty() ? &kPlain : &styles_[static_cast<std::size_t>(index)];
    };

    std::vector<Item> items;
    for (int r = firstRow; r <= lastRow; ++r) {
        if (l.rowH[static_cast<std::size_t>(r)] <= 0) continue;
        for (int c = 1; c <= maxCol; ++c) {
            if (auto b = blockAt.find({r, c}); b != blockAt.end()) {
                const MergeData& m = *b->second;
                const int r1 = std::min(m.lastRow, lastRow), c1 = std::min(m.lastCol, maxCol);
                const QRectF rect(QPointF(left(m.firstCol), top(r)), QPointF(left(c1 + 1), top(r1 + 1)));
                auto cell = cells.find({m.firstRow, m.firstCol});
                const CellData* anchor = cell == cells.end() ? nullptr : cell->second;
                if (rect.width() > 0 && rect.height() > 0)
                    items.push_back({rect, anchor, styleOf(anchor, m.firstCol), m.firstRow >= firstRow});
                continue;
            }
            if (covered.count({r, c})) continue;
            const QRectF rect(QPointF(left(c), top(r)), QPointF(left(c + 1), top(r + 1)));
            if (rect.width() <= 0) continue;
            auto cell = cells.find({r, c});
            items.push_back({rect, cell == cells.end() ? nullptr : cell->second, styleOf(cell == cells.end() ? nullptr : cell->second, c), true});
        }
    }

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

    const double pad = 2.0 / kScreenDpi * dpiX_ * l.scale;
    std::map<const StyleData*, QFont> fonts;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const Item& item = items[i];
        if (!item.cell || !item.anchorHere) continue;
        const std::string text = paint::displayText(*item.cell, *item.style);
        if (text.empty()) continue;
        const StyleData& s = *item.style;

        auto cached = fonts.find(item.style);
        if (cached == fonts.end()) {
            QFont f(familyFor(s.font.name));
            f.setPointSizeF(std::max(1.0, s.font.size * l.scale));
            f.setBold(s.font.bold);
            f.setItalic(s.font.italic);
            f.setUnderline(s.font.underline);
            cached = fonts.emplace(item.style, f).first;
        }
        const QFont& font = cached->second;
        painter.setFont(font);
        painter.setPen(toQColor(s.font.colour));

        int flags = 0;
        switch (s.hAlign) {
            case HAlign::Left: flags |= Qt::AlignLeft; break;
            case HAlign::Center: flags |= Qt::AlignHCenter; break;
            case HAlign::Right: flags |= Qt::AlignRight; break;
            case HAlign::General:
                flags |= item.cell->type == CellValueType::Number ? Qt::AlignRight
                       : item.cell->type == CellValueType::String ? Qt::AlignLeft : Qt::AlignHCenter;
                break;
        }
        switch (s.vAlign) {
            case VAlign::Top: flags |= Qt::AlignTop; break;
            case VAlign::Center: flags |= Qt::AlignVCenter; break;
            case VAlign::Bottom: flags |= Qt::AlignBottom; break;
        }
        QRectF rect = item.rect.adjusted(pad, 0, -pad, 0);
        if (s.wrap) {
            flags |= Qt::TextWordWrap;
        } else if ((flags & Qt::AlignLeft) && item.cell->type == CellValueType::String) {
            // Unwrapped text runs on over empty neighbours, as spreadsheets print it.
            const double need = QFontMetricsF(font, painter.device()).horizontalAdvance(QString::fromStdString(text));
            for (std::size_t j = i + 1; j < items.size() && rect.width() < need; ++j) {
                const Item& next = items[j];
                if (next.rect.top() != item.rect.top() || next.rect.height() != item.rect.height()) break;
                if (next.cell && !paint::displayText(*next.cell, *next.style).empty()) break;
                rect.setRight(next.rect.right() - pad);
            }
        }
        painter.save();
        painter.setClipRect(rect.intersected(l.content).adjusted(-pad, 0, pad, 0));
        painter.drawText(rect, flags, QString::fromStdString(text));
        painter.restore();
    }
    painter.restore();
}

}  // namespace zevo::grid
