#pragma once
// A workbook of a few sheets held in maps, for evaluating formulas in tests.
// Formula cells are evaluated when read; a cell that depends on itself reads #REF!.
#include <map>
#include <ostream>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "zevo/grid/formula/EvalContext.h"
#include "zevo/grid/formula/Expression.h"
#include "zevo/grid/formula/Utf8Text.h"

namespace zevo::grid::formula {
// Readable values in failure messages.
inline void PrintTo(const Value& v, std::ostream* os) {
    static const char* kTypes[] = {"Empty", "Number", "String", "Boolean", "Error"};
    *os << kTypes[static_cast<int>(v.type())] << "(" << v.toText() << ")";
}
}  // namespace zevo::grid::formula

namespace zevo::grid::formula::test {

class MapContext : public EvalContext {
public:
    explicit MapContext(std::vector<std::string> sheets = {"Sheet1"}) : sheets_(std::move(sheets)) {}

    void set(int sheet, const std::string& cell, Value v) {
        auto [c, r] = address(cell);
        cells_[{sheet, c, r}] = std::move(v);
    }
    void set(const std::string& cell, Value v) { set(0, cell, std::move(v)); }
    void setNumber(const std::string& cell, double v) { set(cell, Value::number(v)); }
    void setText(const std::string& cell, const std::string& v) { set(cell, Value::string(v)); }
    void setFormula(int sheet, const std::string& cell, const std::string& text) {
        auto [c, r] = address(cell);
        formulas_[{sheet, c, r}] = Expression::parse(text);
    }

    // Evaluates `text` as if it stood on `sheet`.
    Value eval(const std::string& text, int sheet = 0) {
        int saved = current_;
        current_ = sheet;
        Value v = evaluate(Expression::parse(text), *this);
        current_ = saved;
        return v;
    }

    int currentSheet() const override { return current_; }
    int findSheet(std::string_view name) const override {
        for (std::size_t i = 0; i < sheets_.size(); ++i)
            if (equalsIgnoreCase(sheets_[i], name)) return static_cast<int>(i);
        return -1;
    }
    Value cellValue(int sheet, int col, int row) override {
        ++reads;
        Key key{sheet, col, row};
        if (auto f = formulas_.find(key); f != formulas_.end()) {
            if (!active_.insert(key).second) return Value::error(ErrorCode::Ref);
            int saved = current_;
            current_ = sheet;
            Value v = evaluate(f->second, *this);
            current_ = saved;
            active_.erase(key);
            return v;
        }
        auto it = cells_.find(key);
        return it == cells_.end() ? Value() : it->second;
    }
    int lastRow(int) const override { return lastRow_; }
    void setLastRow(int row) { lastRow_ = row; }

    long reads = 0;

private:
    using Key = std::tuple<int, int, int>;
    static std::pair<int, int> address(const std::string& cell) {
        int c = 0;
        std::size_t i = 0;
        while (i < cell.size() && cell[i] >= 'A' && cell[i] <= 'Z') c = c * 26 + (cell[i++] - 'A' + 1);
        return {c, std::stoi(cell.substr(i))};
    }
    std::vector<std::string> sheets_;
    std::map<Key, Value> cells_;
    std::map<Key, Expression> formulas_;
    std::set<Key> active_;
    int current_ = 0;
    int lastRow_ = kMaxRow;
};

// Shorthands for expected values.
inline Value num(double v) { return Value::number(v); }
inline Value str(const std::string& s) { return Value::string(s); }
inline Value boolean(bool b) { return Value::boolean(b); }
inline Value err(ErrorCode e) { return Value::error(e); }

}  // namespace zevo::grid::formula::test
