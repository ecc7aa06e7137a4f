// Pick lists interned by their text: the engine gives the same ward list of
// thousands of items to two cells of every row of a large declaration.
#include <algorithm>
#include <functional>
#include <mutex>
#include <string_view>
#include <unordered_map>

#include "ModelImpl.h"

namespace zevo::grid {

struct ComboList::Data {
    std::string text;
    std::vector<std::string> items;
    std::unordered_map<std::string_view, int> firstIndex;   // views into `items`
};

namespace {

std::shared_ptr<const ComboList::Data> makeData(const std::string& text) {
    // Not make_shared: the items go when the last cell lets go, not the table's entry.
    std::shared_ptr<ComboList::Data> data(new ComboList::Data);
    data->text = text;
    data->items = comboItems(text);
    data->firstIndex.reserve(data->items.size());
    for (std::size_t i = 0; i < data->items.size(); ++i)
        data->firstIndex.emplace(data->items[i], static_cast<int>(i));   // keeps the first
    return data;
}

// Lists alive somewhere, by the hash of their text. Entries of lists no cell holds
// any more are dropped when their bucket is next searched or the table grows.
class Interned {
public:
    std::shared_ptr<const ComboList::Data> get(const std::string& text) {
        std::lock_guard<std::mutex> lock(mutex_);
        // The same few lists given to cell after cell (districts and wards of
        // every row): a comparison with the recent ones, no hashing.
        for (std::size_t i = 0; i < recent_.size(); ++i) {
            if (recent_[i]->text != text) continue;
            auto hit = recent_[i];
            std::rotate(recent_.begin(), recent_.begin() + static_cast<std::ptrdiff_t>(i),
                        recent_.begin() + static_cast<std::ptrdiff_t>(i) + 1);
            return hit;
        }
        const std::size_t hash = std::hash<std::string>()(text);
        auto& bucket = table_[hash];
        std::shared_ptr<const ComboList::Data> found;
        for (std::size_t i = 0; i < bucket.size();) {
            auto alive = bucket[i].lock();
            if (!alive) {
                bucket.erase(bucket.begin() + static_cast<std::ptrdiff_t>(i));
                continue;
            }
            if (!found && alive->text == text) found = alive;
            ++i;
        }
        if (!found) {
            found = makeData(text);
            bucket.push_back(found);
            if (table_.size() > 2 * swept_ + 64) sweep();
        }
        recent_.insert(recent_.begin(), found);
        if (recent_.size() > kRecent) recent_.pop_back();
        return found;
    }

private:
    void sweep() {
        for (auto it = table_.begin(); it != table_.end();) {
            auto& bucket = it->second;
            std::erase_if(bucket, [](const auto& w) { return w.expired(); });
            it = bucket.empty() ? table_.erase(it) : std::next(it);
        }
        swept_ = table_.size();
    }

    std::mutex mutex_;
    std::unordered_map<std::size_t, std::vector<std::weak_ptr<const ComboList::Data>>> table_;
    std::size_t swept_ = 0;
    static constexpr std::size_t kRecent = 8;
    std::vector<std::shared_ptr<const ComboList::Data>> recent_;   // most recent first
};

Interned& interned() {
    static Interned table;
    return table;
}

// Function statics: empty lists may be read while other statics are built.
const std::string& noText() {
    static const std::string empty;
    return empty;
}
const std::vector<std::string>& noItems() {
    static const std::vector<std::string> empty;
    return empty;
}

}  // namespace

ComboList::ComboList(const std::string& text) {
    if (!text.empty()) data_ = interned().get(text);
}

const std::string& ComboList::text() const { return data_ ? data_->text : noText(); }

const std::vector<std::string>& ComboList::items() const { return data_ ? data_->items : noItems(); }

int ComboList::indexOf(const std::string& item) const {
    if (!data_) return -1;
    auto it = data_->firstIndex.find(std::string_view(item));
    return it == data_->firstIndex.end() ? -1 : it->second;
}

bool ComboList::operator==(const ComboList& other) const {
    return data_ == other.data_ || text() == other.text();
}

}  // namespace zevo::grid
