#pragma once
// Editors per cell kind (text with its length and digit limits, masked dates,
// pick lists, numbers) and the small red corner mark of cells with a note.
#include <QStyledItemDelegate>

#include "zevo/grid/SpreadModel.h"

namespace zevo::ui {

// The grid's mask ("99//99//9999": "/" makes the next character literal) as a
// QLineEdit input mask ("99/99/9999").
QString toInputMask(const std::string& gridMask);

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

private:
    grid::SpreadModel& grid_;
    int sheet_;
};

}  // namespace zevo::ui
