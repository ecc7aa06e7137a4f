#pragma once
// How a typed name finds its item in a pick list: without diacritics and case, by
// any part of the name. The grid view's pick lists and the list import share it,
// so a name the import takes is one the user could have picked.
#include <QString>
#include <QStringList>

#include <string>

namespace zevo::engine {

// A name as pick lists search it: lower case, without diacritics ("Đống Đa" gives
// "dong da").
QString foldForSearch(const QString& text);

// The item a pick list takes for what was typed: the item itself; else the one
// whose folded name equals the folded text, first as it stands, then without the
// administrative word in front ("ha noi" or "TP. Hà Nội" for "Thành phố Hà Nội",
// "Q.1" for "Quận 1"); else the only item whose folded name contains the folded
// text. Empty text picks the empty item. No item (none or several match) gives a
// null string; `candidates`, when given, receives the items that matched alike.
QString resolvePick(const QStringList& items, const QString& typed, QStringList* candidates = nullptr);

// One pick list folded once, for many look-ups (resolvePick folds on every call).
class PickList {
public:
    explicit PickList(QStringList items);
    // From a grid cell's list: items separated (and ended) by tabs.
    static PickList fromComboList(const std::string& tabSeparated);
    QString resolve(const QString& typed, QStringList* candidates = nullptr) const;
    const QStringList& items() const { return items_; }

private:
    QStringList items_, folded_, bare_;
};

}  // namespace zevo::engine
