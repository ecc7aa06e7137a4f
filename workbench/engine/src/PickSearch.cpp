#include "zevo/engine/PickSearch.h"

#include <array>

namespace zevo::engine {

QString foldForSearch(const QString& text) {
    const QString decomposed = text.normalized(QString::NormalizationForm_D);
    QString out;
    out.reserve(decomposed.size());
    for (QChar c : decomposed) {
        if (c.category() == QChar::Mark_NonSpacing) continue;
        if (c == u'\u0111' || c == u'\u0110') c = u'd';   // đ, Đ
        out += c.toLower();
    }
    return out.simplified();
}

namespace {

// A folded name without the word of its unit in front ("thanh pho ha noi" ->
// "ha noi", "tp. ha noi" -> "ha noi", "q.1" -> "1"). Longer words are tried first.
QString withoutUnitWord(const QString& folded) {
    static const std::array<const char*, 16> kWords = {
        "thanh pho", "thi tran", "thi xa", "phuong", "huyen", "tinh", "quan", "xa",
        "tp", "tx", "tt", "t", "q", "h", "p", "x"};
    for (const char* word : kWords) {
        const QString w = QString::fromLatin1(word);
        if (!folded.startsWith(w)) continue;
        QString rest = folded.mid(w.size());
        if (rest.startsWith(u'.')) rest = rest.mid(1);
        else if (!rest.startsWith(u' ')) continue;   // "tinh" is not the start of "tinhgia"
        else if (w.size() == 1) continue;            // a lone letter needs its dot
        rest = rest.trimmed();
        if (!rest.isEmpty()) return rest;
    }
    return folded;
}

}  // namespace

PickList::PickList(QStringList items) : items_(std::move(items)) {
    folded_.reserve(items_.size());
    bare_.reserve(items_.size());
    for (const QString& item : items_) {
        folded_ << foldForSearch(item);
        bare_ << withoutUnitWord(folded_.back());
    }
}

PickList PickList::fromComboList(const std::string& tabSeparated) {
    QStringList items = QString::fromStdString(tabSeparated).split(u'\t');
    if (!items.isEmpty() && items.back().isEmpty()) items.removeLast();
    return PickList(std::move(items));
}

QString PickList::resolve(const QString& typed, QStringList* candidates) const {
    if (candidates) candidates->clear();
    const QString wanted = typed.trimmed();
    if (wanted.isEmpty()) return QStringLiteral("");
    if (items_.contains(wanted)) return wanted;
    const QString folded = foldForSearch(wanted);
    const QString bare = withoutUnitWord(folded);
    // Each step in turn: one match is the item, several are ambiguous.
    for (int step = 0; step < 3; ++step) {
        QStringList found;
        for (qsizetype i = 0; i < items_.size(); ++i) {
            if (items_[i].isEmpty()) continue;
            const bool match = step == 0   ? folded_[i] == folded
                               : step == 1 ? bare_[i] == bare
                                           : folded_[i].contains(folded);
            if (match) found << items_[i];
        }
        if (found.size() == 1) return found.front();
        if (found.size() > 1) {
            if (candidates) *candidates = found;
            return {};
        }
    }
    return {};
}

QString resolvePick(const QStringList& items, const QString& typed, QStringList* candidates) {
    return PickList(items).resolve(typed, candidates);
}

}  // namespace zevo::engine
