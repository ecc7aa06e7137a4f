#pragma once
// Editors per cell kind (text with its length and digit limits, masked dates,
// pick lists, numbers) and the small red corner mark of cells with a note.
#include <QStyledItemDelegate>

#include "zevo/engine/PickSearch.h"
#include "zevo/grid/SpreadModel.h"

namespace zevo::ui {

// The grid's mask ("99//99//9999": "/" makes the next character literal) as a
// QLineEdit input mask ("99/99/9999").
QString toInputMask(const std::string& gridMask);
// Digits typed without separators into a digit mask ("01021985" for "99//99//9999")
// get the mask's literals ("01/02/1985"); any other text is returned as it is, for
// the rules to complete or refuse.
QString fillDigitMask(const std::string& gridMask, const QString& typed);

// Pick lists search names without diacritics, by any part (shared with the list import).
using engine::foldForSearch;
using engine::resolvePick;

class SpreadDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    SpreadDelegate(grid::SpreadModel& grid, int sheet, QObject* parent = nullptr);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

protected:
    // Tab, Enter and the arrow keys always leave the cell: the editor's text is
    // committed as it stands (an empty date is an empty value) and the table moves.
    bool eventFilter(QObject* object, QEvent* event) override;

private:
    grid::SpreadModel& grid_;
    int sheet_;
};

}  // namespace zevo::ui
