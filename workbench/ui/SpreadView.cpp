#include "SpreadView.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QKeyEvent>
#include <QMouseEvent>

#include "SpreadDelegate.h"
#include "SpreadTableModel.h"

namespace zevo::ui {

namespace {

// Qt key to the grid's key code (Windows virtual keys) for the keys the grid handles.
int gridKeyCode(int key) {
    switch (key) {
        case Qt::Key_Escape: return grid::keys::kEscape;
        case Qt::Key_Delete: return grid::keys::kDelete;
        case Qt::Key_F5: return grid::keys::kF5;
        case Qt::Key_F6: return grid::keys::kF6;
        default: return 0;
    }
}

int gridShift(Qt::KeyboardModifiers m) {
    int s = 0;
    if (m & Qt::ShiftModifier) s |= grid::keys::kShiftMask;
    if (m & Qt::ControlModifier) s |= grid::keys::kCtrlMask;
    if (m & Qt::AltModifier) s |= grid::keys::kAltMask;
    return s;
}

constexpr double kPixelsPerPoint = 96.0 / 72.0;

}  // namespace

SpreadTable::SpreadTable(grid::SpreadModel& grid, int sheet, QWidget* parent)
    : QTableView(parent), grid_(grid), sheet_(sheet),
      model_(new SpreadTableModel(grid, sheet, this)) {
    setModel(model_);
    setItemDelegate(new SpreadDelegate(grid, sheet, this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::DoubleClicked);
    setTabKeyNavigation(true);
    setWordWrap(true);
    horizontalHeader()->setMinimumSectionSize(0);
    verticalHeader()->setMinimumSectionSize(0);
    setObjectName(QStringLiteral("fpSpread1_%1").arg(sheet));
    applyGeometry();
}

void SpreadTable::applyGeometry() {
    clearSpans();
    const int rows = grid_.maxRowsOf(sheet_), cols = grid_.maxColsOf(sheet_);
    for (int c = 1; c <= cols; ++c) {
        const double w = grid_.colWidthOf(sheet_, c);
        setColumnHidden(c - 1, w <= 0);
        if (w > 0) setColumnWidth(c - 1, static_cast<int>(w + 0.5));
    }
    for (int r = 1; r <= rows; ++r) {
        const double h = grid_.rowHeightOf(sheet_, r);
        setRowHidden(r - 1, h <= 0);
        if (h > 0) setRowHeight(r - 1, static_cast<int>(h * kPixelsPerPoint + 0.5));
        for (int c = 1; c <= cols; ++c) {
            grid::CellSpan span;
            if (grid_.spanOf(sheet_, c, r, span) && span.anchorCol == c && span.anchorRow == r &&
                (span.cols > 1 || span.rows > 1))
                setSpan(r - 1, c - 1, span.rows, span.cols);
        }
    }
}

void SpreadTable::followActiveCell() {
    const int previousSheet = grid_.sheet();
    grid_.setSheet(sheet_);
    const int col = grid_.activeCol(), row = grid_.activeRow();
    grid_.setSheet(previousSheet);
    const QModelIndex target = model_->index(row - 1, col - 1);
    if (!target.isValid() || target == currentIndex()) return;
    following_ = true;
    setCurrentIndex(target);
    if (isVisible()) scrollTo(target);
    following_ = false;
}

void SpreadTable::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    if (following_ || !current.isValid()) return;
    if (grid_.activeSheet() != sheet_) grid_.userShowSheet(sheet_);
    grid_.userMoveTo(current.column() + 1, current.row() + 1);
    emit userActed(false);
}

void SpreadTable::moveBy(int rows, int cols) {
    const QModelIndex at = currentIndex();
    if (!at.isValid()) return;
    int r = at.row() + rows, c = at.column() + cols;
    // Skip the covered cells of a merged block and hidden rows or columns.
    while (r >= 0 && r < model_->rowCount() && c >= 0 && c < model_->columnCount()) {
        const QModelIndex next = model_->index(r, c);
        const bool covered = isRowHidden(r) || isColumnHidden(c);
        if (!covered) {
            setCurrentIndex(next);
            return;
        }
        r += rows;
        c += cols;
    }
}

void SpreadTable::keyPressEvent(QKeyEvent* event) {
    if (state() != QAbstractItemView::EditingState) {
        switch (event->key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
                moveBy(rowSpan(currentIndex().row(), currentIndex().column()), 0);
                return;
            case Qt::Key_F5:
            case Qt::Key_F6:
            case Qt::Key_Delete:
            case Qt::Key_Escape:
                event->accept();   // handled on release, as the grid's key-up event
                return;
            case Qt::Key_Space: {
                const QModelIndex at = currentIndex();
                if (at.isValid() &&
                    at.data(SpreadTableModel::CellTypeRole).toInt() ==
                        static_cast<int>(grid::CellType::CheckBox)) {
                    if (grid_.activeSheet() != sheet_) grid_.userShowSheet(sheet_);
                    const bool checked = at.data(Qt::CheckStateRole).toInt() == Qt::Checked;
                    grid_.userClickButton(at.column() + 1, at.row() + 1, !checked);
                    emit userActed(false);
                    return;
                }
                break;
            }
            default: break;
        }
    }
    QTableView::keyPressEvent(event);
}

void SpreadTable::keyReleaseEvent(QKeyEvent* event) {
    const int code = gridKeyCode(event->key());
    if (code != 0 && !event->isAutoRepeat() && state() != QAbstractItemView::EditingState) {
        if (grid_.activeSheet() != sheet_) grid_.userShowSheet(sheet_);
        grid_.userKeyUp(code, gridShift(event->modifiers()));
        emit userActed(code == grid::keys::kF5 || code == grid::keys::kF6);
        return;
    }
    QTableView::keyReleaseEvent(event);
}

void SpreadTable::mousePressEvent(QMouseEvent* event) {
    const QModelIndex at = indexAt(event->position().toPoint());
    QTableView::mousePressEvent(event);
    if (!at.isValid()) return;
    const int type = at.data(SpreadTableModel::CellTypeRole).toInt();
    if (type == static_cast<int>(grid::CellType::CheckBox) ||
        type == static_cast<int>(grid::CellType::Button)) {
        if (grid_.activeSheet() != sheet_) grid_.userShowSheet(sheet_);
        const bool checked = at.data(Qt::CheckStateRole).toInt() == Qt::Checked;
        grid_.userClickButton(at.column() + 1, at.row() + 1, !checked);
        emit userActed(false);
    }
}

void SpreadTable::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    // Enter ends the edit and moves down, as in a spreadsheet.
    const bool enter = hint == QAbstractItemDelegate::SubmitModelCache;
    QTableView::closeEditor(editor, enter ? QAbstractItemDelegate::NoHint : hint);
    emit userActed(false);
    if (enter) moveBy(rowSpan(currentIndex().row(), currentIndex().column()), 0);
}

SpreadView::SpreadView(grid::SpreadModel& grid, QWidget* parent)
    : QTabWidget(parent), grid_(grid) {
    setObjectName(QStringLiteral("fpSpread1"));
    setTabPosition(QTabWidget::South);
    connect(this, &QTabWidget::currentChanged, this, &SpreadView::onTabChanged);
}

void SpreadView::rebuild() {
    rebuilding_ = true;
    while (count() > 0) {
        QWidget* page = widget(0);
        removeTab(0);
        page->deleteLater();
    }
    tables_.clear();
    for (int s = 1; s <= grid_.sheetCount(); ++s) {
        if (!grid_.sheetVisibleOf(s)) continue;
        auto* table = new SpreadTable(grid_, s, this);
        connect(table, &SpreadTable::userActed, this, [this](bool structural) { refresh(structural); });
        tables_.push_back(table);
        addTab(table, QString::fromStdString(grid_.sheetNameOf(s)));
        table->followActiveCell();
        // A new view starts at the sheet's top-left; focusing scrolls to the cell.
        table->scrollToTop();
        table->horizontalScrollBar()->setValue(0);
    }
    if (SpreadTable* shown = tableForSheet(grid_.activeSheet())) setCurrentWidget(shown);
    rebuilding_ = false;
}

void SpreadView::refresh(bool structural) {
    for (SpreadTable* table : tables_) {
        if (table->tableModel()->refresh(structural)) table->applyGeometry();
    }
    if (SpreadTable* shown = tableForSheet(grid_.activeSheet())) {
        if (currentWidget() != shown) {
            rebuilding_ = true;
            setCurrentWidget(shown);
            rebuilding_ = false;
        }
        shown->followActiveCell();
    }
}

SpreadTable* SpreadView::currentTable() const {
    return qobject_cast<SpreadTable*>(currentWidget());
}

SpreadTable* SpreadView::tableForSheet(int sheet) const {
    for (SpreadTable* table : tables_)
        if (table->sheet() == sheet) return table;
    return nullptr;
}

void SpreadView::onTabChanged(int index) {
    if (rebuilding_) return;
    auto* table = qobject_cast<SpreadTable*>(widget(index));
    if (!table) return;
    if (grid_.activeSheet() != table->sheet()) grid_.userShowSheet(table->sheet());
    table->followActiveCell();
}

}  // namespace zevo::ui
