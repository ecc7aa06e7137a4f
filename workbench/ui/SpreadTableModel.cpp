#include "SpreadTableModel.h"

#include <QBrush>
#include <QColor>
#include <QFont>

#include "zevo/Text.h"

namespace zevo::ui {

QColor toQColor(grid::Colour colour) {
    return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

SpreadTableModel::SpreadTableModel(grid::SpreadModel& grid, int sheet, QObject* parent)
    : QAbstractTableModel(parent), grid_(grid), sheet_(sheet),
      rows_(grid.maxRowsOf(sheet)), cols_(grid.maxColsOf(sheet)) {}

int SpreadTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int SpreadTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : cols_;
}

QVariant SpreadTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const int col = index.column() + 1, row = index.row() + 1;
    switch (role) {
        case Qt::DisplayRole: {
            const grid::CellLook look = grid_.look(sheet_, col, row);
            if (look.type == grid::CellType::CheckBox)
                return QString::fromStdString(look.checkCaption);
            return QString::fromStdString(look.text);
        }
        case Qt::EditRole:
            return QString::fromStdString(grid_.textOf(sheet_, col, row));
        case Qt::CheckStateRole: {
            if (grid_.formatOf(sheet_, col, row).type != grid::CellType::CheckBox) return {};
            return grid_.textOf(sheet_, col, row) == "1" ? Qt::Checked : Qt::Unchecked;
        }
        case Qt::BackgroundRole:
            return QBrush(toQColor(grid_.look(sheet_, col, row).back));
        case Qt::ForegroundRole: {
            const grid::CellLook look = grid_.look(sheet_, col, row);
            if (look.placeholderShown) return QBrush(QColor(128, 128, 128));
            return QBrush(toQColor(look.font.colour));
        }
        case Qt::FontRole: {
            const grid::FontData f = grid_.look(sheet_, col, row).font;
            QFont font(QString::fromStdString(f.name));
            // The forms name Tahoma, which Linux does not have.
            if (f.name == "Tahoma" || f.name.empty()) font.setFamily(QStringLiteral("DejaVu Sans"));
            font.setPointSizeF(f.size > 0 ? f.size : 10.0);
            font.setBold(f.bold);
            font.setItalic(f.italic);
            font.setUnderline(f.underline);
            return font;
        }
        case Qt::TextAlignmentRole: {
            const grid::CellLook look = grid_.look(sheet_, col, row);
            int h = Qt::AlignLeft;
            switch (look.hAlign) {
                case grid::HAlign::Left: h = Qt::AlignLeft; break;
                case grid::HAlign::Center: h = Qt::AlignHCenter; break;
                case grid::HAlign::Right: h = Qt::AlignRight; break;
                case grid::HAlign::General: h = look.numeric ? Qt::AlignRight : Qt::AlignLeft; break;
            }
            if (look.type == grid::CellType::CheckBox) h = Qt::AlignHCenter;
            int v = Qt::AlignBottom;
            if (look.vAlign == grid::VAlign::Top) v = Qt::AlignTop;
            if (look.vAlign == grid::VAlign::Center) v = Qt::AlignVCenter;
            return QVariant::fromValue(h | v);
        }
        case Qt::ToolTipRole: {
            const std::string note = grid_.noteOf(sheet_, col, row);
            if (note.empty()) return {};
            return QString::fromStdString(note).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        }
        case HasNoteRole:
            return !grid_.noteOf(sheet_, col, row).empty();
        case CellTypeRole:
            return static_cast<int>(grid_.formatOf(sheet_, col, row).type);
        case CellLockedRole:
            return grid_.formatOf(sheet_, col, row).locked;
        default:
            return {};
    }
}

bool SpreadTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || role != Qt::EditRole) return false;
    if (grid_.activeSheet() != sheet_) grid_.userShowSheet(sheet_);
    const std::string text = value.toString().toStdString();
    const int col = index.column() + 1, row = index.row() + 1;
    if (grid_.textOf(sheet_, col, row) == text) return false;
    grid_.userEdit(col, row, text);
    if (!text::trimSpaces(text).empty() && text::trimSpaces(grid_.textOf(sheet_, col, row)).empty())
        emit entryRejected(col, row, value.toString());
    return true;
}

Qt::ItemFlags SpreadTableModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    const grid::CellFormat format = grid_.formatOf(sheet_, index.column() + 1, index.row() + 1);
    if (!format.locked && format.type != grid::CellType::CheckBox &&
        format.type != grid::CellType::Button && format.type != grid::CellType::Picture &&
        (!takesValue_ || takesValue_(sheet_, index.column() + 1, index.row() + 1)))
        f |= Qt::ItemIsEditable;
    return f;
}

QVariant SpreadTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Horizontal) return QString::fromStdString(grid_.colLetters(section + 1));
    return section + 1;
}

bool SpreadTableModel::refresh(bool structural) {
    const int rows = grid_.maxRowsOf(sheet_), cols = grid_.maxColsOf(sheet_);
    if (structural || rows != rows_ || cols != cols_) {
        beginResetModel();
        rows_ = rows;
        cols_ = cols;
        endResetModel();
        return true;
    }
    if (rows_ > 0 && cols_ > 0) emit dataChanged(index(0, 0), index(rows_ - 1, cols_ - 1));
    return false;
}

}  // namespace zevo::ui
