#include "zevo/engine/ColourRestoreRecord.h"

namespace zevo::engine {

void ColourRestoreRecord::add(const std::string& key, grid::Colour colour) {
    if (contains(key)) return;
    index_.emplace(key, order_.size());
    order_.emplace_back(std::make_pair(key, colour));
}

std::optional<grid::Colour> ColourRestoreRecord::find(const std::string& key) const {
    auto it = index_.find(key);
    if (it == index_.end()) return std::nullopt;
    return order_[it->second]->second;
}

void ColourRestoreRecord::remove(const std::string& key) {
    auto it = index_.find(key);
    if (it == index_.end()) return;
    order_[it->second].reset();
    index_.erase(it);
    if (index_.empty()) order_.clear();
}

void ColourRestoreRecord::clear() {
    order_.clear();
    index_.clear();
}

std::vector<std::pair<std::string, grid::Colour>> ColourRestoreRecord::entries() const {
    std::vector<std::pair<std::string, grid::Colour>> out;
    out.reserve(index_.size());
    for (const auto& e : order_)
        if (e) out.push_back(*e);
    return out;
}

}  // namespace zevo::engine
