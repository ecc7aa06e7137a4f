#include "SpreadDelegate.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPainter>
#include <QPolygon>
#include <QRegularExpressionValidator>

#include "SpreadTableModel.h"

namespace zevo::ui {

QString toInputMask(const std::string& gridMask) {
    const QString mask = QString::fromStdString(gridMask);
    const QString qtMaskChars = QStringLiteral("AaNnXx90Dd#HhBb><!\\[]{}");
    QString out;
    for (int i = 0; i < mask.size(); ++i) {
        const QChar m = mask[i];
        QChar literal;
        if (m == u'9' || m == u'#') {
            out += u'9';
            continue;
        } else if (m == u'A' || m == u'a') {
            out += u'N';
            continue;
        } else if (m == u'?') {
            out += u'A';
            continue;
        } else if (m == u'&' || m == u'X' || m == u'x') {
            out += u'X';
            continue;
        } else if (m == u'/') {
            literal = i + 1 < mask.size() ? mask[++i] : m;
        } else {
            literal = m;
        }
        if (qtMaskChars.contains(literal)) out += u'\\';
        out += literal;
    }
    return out;
}

SpreadDelegate::SpreadDelegate(grid::SpreadModel& grid, int sheet, QObject* parent)
    : QStyledItemDelegate(parent), grid_(grid), sheet_(sheet) {}

QWidget* SpreadDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                      const QModelIndex& index) const {
    const int col = index.column() + 1, row = index.row() + 1;
    const grid::CellFormat f = grid_.formatOf(sheet_, col, row);
    switch (f.type) {
        case grid::CellType::ComboBox: {
            auto* combo = new QComboBox(parent);
            combo->setEditable(false);
            const QStringList items =
                QString::fromStdString(f.comboList).split(u'\t', Qt::SkipEmptyParts);
            combo->addItem(QString());
            combo->addItems(items);
            return combo;
        }
        case grid::CellType::Masked: {
            auto* edit = new QLineEdit(parent);
            edit->setInputMask(toInputMask(f.mask) + QStringLiteral(";_"));
            return edit;
        }
        case grid::CellType::Number:
        case grid::CellType::Percent: {
            auto* edit = new QLineEdit(parent);
            edit->setValidator(new QRegularExpressionValidator(
                QRegularExpression(QStringLiteral("-?[0-9,]*\\.?[0-9]*")), edit));
            return edit;
        }
        default: {
            auto* edit = new QLineEdit(parent);
            if (f.maxLen > 0) edit->setMaxLength(f.maxLen);
            if (f.digitsOnly)
                edit->setValidator(new QRegularExpressionValidator(
                    QRegularExpression(QStringLiteral("[0-9]*")), edit));
            return edit;
        }
    }
}

void SpreadDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    const QString text = index.data(Qt::EditRole).toString();
    if (auto* combo = qobject_cast<QComboBox*>(editor)) {
        const int at = combo->findText(text);
        combo->setCurrentIndex(at < 0 ? 0 : at);
        return;
    }
    if (auto* edit = qobject_cast<QLineEdit*>(editor)) {
        // A key that started the edit is already in the editor: keep it.
        if (edit->property("zevoStarted").toBool()) return;
        edit->setProperty("zevoStarted", true);
        const grid::CellFormat f = grid_.formatOf(sheet_, index.column() + 1, index.row() + 1);
        if (f.type == grid::CellType::Number || f.type == grid::CellType::Percent)
            edit->setText(QString::fromStdString(
                grid_.look(sheet_, index.column() + 1, index.row() + 1).text).remove(u','));
        else
            edit->setText(text);
    }
}

void SpreadDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                  const QModelIndex& index) const {
    if (auto* combo = qobject_cast<QComboBox*>(editor)) {
        model->setData(index, combo->currentText(), Qt::EditRole);
        return;
    }
    if (auto* edit = qobject_cast<QLineEdit*>(editor)) {
        QString text = edit->text();
        // An untouched masked field (only its literals) means empty.
        if (!edit->inputMask().isEmpty() && !text.contains(QRegularExpression(QStringLiteral("[0-9A-Za-z]"))))
            text.clear();
        model->setData(index, text, Qt::EditRole);
    }
}

void SpreadDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                           const QModelIndex& index) const {
    QStyleOptionViewItem opt = option;
    // The grid's own colours stay visible on the current cell.
    opt.state &= ~QStyle::State_Selected;
    QStyledItemDelegate::paint(painter, opt, index);
    if (option.state & QStyle::State_HasFocus) {
        painter->save();
        painter->setPen(QPen(QColor(0, 0, 0), 2));
        painter->drawRect(option.rect.adjusted(1, 1, -1, -1));
        painter->restore();
    }
    if (index.data(SpreadTableModel::HasNoteRole).toBool()) {
        const QRect r = option.rect;
        const int s = 6;
        QPolygon corner;
        corner << QPoint(r.right() - s, r.top()) << QPoint(r.right(), r.top())
               << QPoint(r.right(), r.top() + s);
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(Qt::NoPen);
        painter->setBrush(QColor(220, 0, 0));
        painter->drawPolygon(corner);
        painter->restore();
    }
}

}  // namespace zevo::ui
