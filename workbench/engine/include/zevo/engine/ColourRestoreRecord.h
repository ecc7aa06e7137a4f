#pragma once
// The cells the load check coloured, with the colour each had before: key = sheet
// number + "_" + cell address ("1_K_9"). Kept in insertion order, because the
// completion pass restores the cells in the order they were marked.
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "zevo/grid/WorkbookData.h"

namespace zevo::engine {

class ColourRestoreRecord {
public:
    static std::string key(int sheet, const std::string& cellId) {
        return std::to_string(sheet) + "_" + cellId;
    }

    bool contains(const std::string& key) const { return index_.count(key) != 0; }
    // Records the colour unless the key is already there (the first colour wins).
    void add(const std::string& key, grid::Colour colour);
    std::optional<grid::Colour> find(const std::string& key) const;
    void remove(const std::string& key);
    void clear();
    bool empty() const { return index_.empty(); }
    std::size_t size() const { return index_.size(); }
    // The entries in the order they were added.
    std::vector<std::pair<std::string, grid::Colour>> entries() const;

private:
    // Removed entries leave a hole (nullopt) so that positions stay valid.
    std::vector<std::optional<std::pair<std::string, grid::Colour>>> order_;
    std::unordered_map<std::string, std::size_t> index_;
};

}  // namespace zevo::engine
