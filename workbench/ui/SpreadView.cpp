#include "SpreadView.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QToolTip>

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
    connect(model_, &SpreadTableModel::entryRejected, this, &SpreadTable::entryRejected);
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

void SpreadTable::moveCurrentBy(int rows, int cols) {
    const QModelIndex at = currentIndex();
    if (!at.isValid()) return;
    // From a merged block, move from its far edge in the direction of travel.
    int r = at.row() + (rows > 0 ? rowSpan(at.row(), at.column()) : rows);
    int c = at.column() + (cols > 0 ? columnSpan(at.row(), at.column()) : cols);
    if (rows == 0) r = at.row();
    if (cols == 0) c = at.column();
    // Skip hidden rows or columns.
    while (r >= 0 && r < model_->rowCount() && c >= 0 && c < model_->columnCount()) {
        if (!isRowHidden(r) && !isColumnHidden(c)) {
            setCurrentIndex(model_->index(r, c));
            return;
        }
        r += rows;
        c += cols;
    }
}

bool SpreadTable::takesInput(int row, int col) const {
    if (isRowHidden(row) || isColumnHidden(col)) return false;
    grid::CellSpan span;
    if (grid_.spanOf(sheet_, col + 1, row + 1, span) &&
        (span.anchorCol != col + 1 || span.anchorRow != row + 1))
        return false;
    const QModelIndex index = model_->index(row, col);
    if (model_->flags(index) & Qt::ItemIsEditable) return true;
    const grid::CellFormat f = grid_.formatOf(sheet_, col + 1, row + 1);
    return f.type == grid::CellType::CheckBox && !f.locked;
}

QModelIndex SpreadTable::nextField(const QModelIndex& from, bool forward) const {
    if (!from.isValid()) return from;
    const int cols = model_->columnCount(), rows = model_->rowCount();
    // Reading order: along the row, then the next row. A few hundred rows at most
    // separate two fields of the forms.
    int r = from.row(), c = from.column();
    const int step = forward ? 1 : -1;
    if (forward) c += columnSpan(r, c) - 1;
    for (long budget = 500L * cols; budget > 0; --budget) {
        c += step;
        if (c >= cols) {
            c = 0;
            ++r;
        } else if (c < 0) {
            c = cols - 1;
            --r;
        }
        if (r < 0 || r >= rows) break;
        if (isRowHidden(r)) {
            c = forward ? cols - 1 : 0;
            continue;
        }
        if (takesInput(r, c)) return model_->index(r, c);
    }
    return from;
}

void SpreadTable::goToField(bool forward) {
    const QModelIndex next = nextField(currentIndex(), forward);
    if (next != currentIndex()) setCurrentIndex(next);
}

QModelIndex SpreadTable::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    if (action == MoveNext || action == MovePrevious)
        return nextField(currentIndex(), action == MoveNext);
    return QTableView::moveCursor(action, modifiers);
}

int SpreadTable::formWidth() const {
    int width = verticalHeader()->sizeHint().width() + verticalScrollBar()->sizeHint().width() +
                2 * frameWidth();
    for (int c = 0; c < model_->columnCount(); ++c)
        if (!isColumnHidden(c)) width += columnWidth(c);
    return width;
}

void SpreadTable::scrollToTopLeft() {
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
}

void SpreadTable::showNote() {
    const QModelIndex at = currentIndex();
    if (!at.isValid()) return;
    const QString note = at.data(Qt::ToolTipRole).toString();
    const QRect cell = visualRect(at);
    if (note.isEmpty()) {
        QToolTip::hideText();
        return;
    }
    QToolTip::showText(viewport()->mapToGlobal(cell.bottomLeft()), note, viewport(), cell, 10000);
}

void SpreadTable::keyPressEvent(QKeyEvent* event) {
    if (state() != QAbstractItemView::EditingState) {
        switch (event->key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
                goToField(true);
                return;
            case Qt::Key_F2:
                if (event->modifiers() & Qt::ShiftModifier) {
                    showNote();
                    return;
                }
                break;
            case Qt::Key_Delete: {
                // Delete clears a text cell as it clears a pick; the grid's key-up
                // event follows on release.
                const QModelIndex at = currentIndex();
                if (at.isValid() && (model_->flags(at) & Qt::ItemIsEditable) &&
                    at.data(SpreadTableModel::CellTypeRole).toInt() !=
                        static_cast<int>(grid::CellType::ComboBox) &&
                    !at.data(Qt::EditRole).toString().isEmpty()) {
                    model_->setData(at, QString(), Qt::EditRole);
                    emit userActed(false);
                }
                event->accept();
                return;
            }
            case Qt::Key_F5:
            case Qt::Key_F6:
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
    // Enter ends the edit and moves to the next field; no editor opens by itself
    // (the keys F5 and F6 act on a cell that is not being edited).
    const bool next = hint == QAbstractItemDelegate::SubmitModelCache ||
                      hint == QAbstractItemDelegate::EditNextItem;
    const bool previous = hint == QAbstractItemDelegate::EditPreviousItem;
    QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
    emit userActed(false);
    if (next || previous) goToField(next);
}

SpreadView::SpreadView(grid::SpreadModel& grid, QWidget* parent)
    : QTabWidget(parent), grid_(grid) {
    setObjectName(QStringLiteral("fpSpread1"));
    setTabPosition(QTabWidget::South);
    connect(this, &QTabWidget::currentChanged, this, &SpreadView::onTabChanged);
}

void SpreadView::setTakesValue(SpreadTableModel::TakesValue takesValue) {
    takesValue_ = std::move(takesValue);
    for (SpreadTable* table : tables_) table->tableModel()->setTakesValue(takesValue_);
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
        connect(table, &SpreadTable::userActed, this, [this](bool structural) {
            refresh(structural);
            emit userActed(structural);
        });
        connect(table, &SpreadTable::entryRejected, this, &SpreadView::entryRejected);
        connect(table, &SpreadTable::notice, this, &SpreadView::notice);
        table->tableModel()->setTakesValue(takesValue_);
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
