#include "SpreadDelegate.h"

#include <algorithm>

#include <QAbstractItemView>
#include <QComboBox>
#include <QCompleter>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPolygon>
#include <QRegularExpressionValidator>

#include "SpreadTableModel.h"
#include "SpreadView.h"

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

QString fillDigitMask(const std::string& gridMask, const QString& typed) {
    const QString mask = toInputMask(gridMask);
    if (mask.isEmpty() || typed.isEmpty()) return typed;
    QString digits;
    for (QChar m : mask) {
        if (m == u'9') digits += m;
        else if (m != u'/' && m != u'.' && m != u'-' && m != u':') return typed;
    }
    for (QChar c : typed)
        if (!c.isDigit()) return typed;
    if (typed.size() != digits.size()) return typed;
    QString out;
    int next = 0;
    for (QChar m : mask) out += m == u'9' ? typed[next++] : m;
    return out;
}

namespace {

// Matches the typed text, folded, anywhere in the folded item names; what is
// picked goes into the editor as the item's own name.
class PickCompleter : public QCompleter {
public:
    using QCompleter::QCompleter;
    QStringList splitPath(const QString& path) const override { return {foldForSearch(path)}; }
    QString pathFromIndex(const QModelIndex& index) const override {
        return index.data(Qt::DisplayRole).toString();
    }
};

constexpr int kFoldedRole = Qt::UserRole + 40;

}  // namespace

SpreadDelegate::SpreadDelegate(grid::SpreadModel& grid, int sheet, QObject* parent)
    : QStyledItemDelegate(parent), grid_(grid), sheet_(sheet) {}

QWidget* SpreadDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                      const QModelIndex& index) const {
    const int col = index.column() + 1, row = index.row() + 1;
    const grid::CellFormat f = grid_.formatOf(sheet_, col, row);
    switch (f.type) {
        case grid::CellType::ComboBox: {
            // Typing filters the list by any part of the name, without diacritics
            // (every province name begins "Tỉnh" or "Thành phố"); Enter picks.
            auto* combo = new QComboBox(parent);
            combo->setEditable(true);
            combo->setInsertPolicy(QComboBox::NoInsert);
            const QStringList items =
                QString::fromStdString(f.comboList).split(u'\t', Qt::SkipEmptyParts);
            combo->addItem(QString());
            combo->addItems(items);
            for (int i = 0; i < combo->count(); ++i)
                combo->setItemData(i, foldForSearch(combo->itemText(i)), kFoldedRole);
            auto* completer = new PickCompleter(combo->model(), combo);
            completer->setCompletionRole(kFoldedRole);
            completer->setFilterMode(Qt::MatchContains);
            completer->setCaseSensitivity(Qt::CaseInsensitive);
            completer->setCompletionMode(QCompleter::PopupCompletion);
            completer->setMaxVisibleItems(12);
            combo->setCompleter(completer);
            // A pick made in the filtered list is the cell's value: commit and go on.
            connect(completer, qOverload<const QModelIndex&>(&QCompleter::activated), combo,
                    [this, combo](const QModelIndex&) {
                        auto* table = qobject_cast<SpreadTable*>(this->parent());
                        auto* self = const_cast<SpreadDelegate*>(this);
                        emit self->commitData(combo);
                        emit self->closeEditor(combo, QAbstractItemDelegate::NoHint);
                        if (table) table->goToField(true);
                    }, Qt::QueuedConnection);
            return combo;
        }
        case grid::CellType::Masked: {
            // No input mask: a Qt mask turns "1/2/1985" into "1_/2_/1985" and keeps
            // the cursor until it is full. Digits and separators go to the rules,
            // which complete the date or refuse it.
            auto* edit = new QLineEdit(parent);
            edit->setProperty("zevoMask", QString::fromStdString(f.mask));
            edit->setPlaceholderText(QString::fromStdString(f.placeholder));
            const QString shape = toInputMask(f.mask);
            if (!shape.isEmpty()) edit->setMaxLength(std::max<int>(shape.size(), 10));
            edit->setValidator(new QRegularExpressionValidator(
                QRegularExpression(QStringLiteral("[0-9/.\\- ]*")), edit));
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
        if (combo->property("zevoStarted").toBool()) return;
        combo->setProperty("zevoStarted", true);
        const int at = combo->findText(text);
        combo->setCurrentIndex(at < 0 ? 0 : at);
        // A key that starts the edit replaces the name: it begins a search.
        if (combo->lineEdit()) combo->lineEdit()->selectAll();
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
        QStringList items;
        for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i);
        // What matches no single item leaves the cell as it was.
        const QString picked = resolvePick(items, combo->currentText());
        if (!picked.isNull()) model->setData(index, picked, Qt::EditRole);
        return;
    }
    if (auto* edit = qobject_cast<QLineEdit*>(editor)) {
        QString text = edit->text();
        const QVariant mask = edit->property("zevoMask");
        if (mask.isValid()) {
            text = text.trimmed();
            // Separators alone are no date.
            if (!text.contains(QRegularExpression(QStringLiteral("[0-9]")))) text.clear();
            text = fillDigitMask(mask.toString().toStdString(), text);
        }
        model->setData(index, text, Qt::EditRole);
    }
}

bool SpreadDelegate::eventFilter(QObject* object, QEvent* event) {
    auto* editor = qobject_cast<QWidget*>(object);
    auto* table = qobject_cast<SpreadTable*>(parent());
    if (!editor || !table || event->type() != QEvent::KeyPress)
        return QStyledItemDelegate::eventFilter(object, event);
    auto* key = static_cast<QKeyEvent*>(event);
    auto* line = qobject_cast<QLineEdit*>(editor);
    // A character refused because the text is at its maximum length is said, not lost silently.
    if (line && !line->property("zevoMask").isValid() && line->maxLength() < 32767 &&
        !key->text().isEmpty() && key->text().at(0).isPrint() && !line->hasSelectedText() &&
        line->text().size() >= line->maxLength()) {
        emit table->notice(QStringLiteral("Ô này nhận tối đa %1 ký tự: \"%2\" không được thêm.")
                               .arg(line->maxLength())
                               .arg(key->text()));
    }
    int rows = 0, cols = 0, fields = 0;
    switch (key->key()) {
        case Qt::Key_Tab: fields = 1; break;
        case Qt::Key_Backtab: fields = -1; break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            // A pick list with its popup open takes Enter itself.
            if (auto* combo = qobject_cast<QComboBox*>(editor);
                combo && (combo->view()->isVisible() ||
                          (combo->completer() && combo->completer()->popup()->isVisible())))
                return QStyledItemDelegate::eventFilter(object, event);
            fields = 1;
            break;
        case Qt::Key_Up:
        case Qt::Key_Down:
            if (!line) return QStyledItemDelegate::eventFilter(object, event);
            rows = key->key() == Qt::Key_Up ? -1 : 1;
            break;
        case Qt::Key_Left:
            if (!line || line->hasSelectedText() || line->cursorPosition() > 0)
                return QStyledItemDelegate::eventFilter(object, event);
            cols = -1;
            break;
        case Qt::Key_Right:
            if (!line || line->hasSelectedText() || line->cursorPosition() < line->text().size())
                return QStyledItemDelegate::eventFilter(object, event);
            cols = 1;
            break;
        default: return QStyledItemDelegate::eventFilter(object, event);
    }
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))
        return QStyledItemDelegate::eventFilter(object, event);
    emit commitData(editor);
    emit closeEditor(editor, QAbstractItemDelegate::NoHint);
    if (fields != 0) table->goToField(fields > 0);
    else table->moveCurrentBy(rows, cols);
    return true;
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
        // A check's mark is red on a marked cell; a note that only informs (a
        // template comment) is a grey-blue corner, so it does not read as an error.
        const QColor back = index.data(Qt::BackgroundRole).value<QBrush>().color();
        const bool marked = back == QColor(255, 192, 192) || back == QColor(255, 252, 193);
        painter->setBrush(marked ? QColor(220, 0, 0) : QColor(90, 120, 170));
        painter->drawPolygon(corner);
        painter->restore();
    }
}

}  // namespace zevo::ui
