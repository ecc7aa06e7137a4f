// Writing, comparing and transforming parsed formulas.
#include <charconv>

#include "Node.h"
#include "RefText.h"
#include "zevo/grid/formula/Expression.h"
#include "zevo/grid/formula/Utf8Text.h"

namespace zevo::grid::formula {

namespace detail {

namespace {

std::string numberText(double v) {
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, v);
    std::string s(buf, res.ptr);
    for (char& c : s)
        if (c == 'e') c = 'E';
    return s;
}

std::string_view opText(Op op) {
    switch (op) {
        case Op::Add: return "+";
        case Op::Sub: return "-";
        case Op::Mul: return "*";
        case Op::Div: return "/";
        case Op::Pow: return "^";
        case Op::Concat: return "&";
        case Op::Eq: return "=";
        case Op::Ne: return "<>";
        case Op::Lt: return "<";
        case Op::Gt: return ">";
        case Op::Le: return "<=";
        case Op::Ge: return ">=";
        case Op::Neg: return "-";
        case Op::Plus: return "+";
    }
    return "?";
}

void write(const Node& n, std::string& out) {
    switch (n.kind) {
        case NodeKind::Number: out += numberText(n.number); break;
        case NodeKind::String:
            out += '"';
            for (char c : n.text) {
                if (c == '"') out += '"';
                out += c;
            }
            out += '"';
            break;
        case NodeKind::Boolean: out += n.boolean ? "TRUE" : "FALSE"; break;
        case NodeKind::Error: out += errorText(n.error); break;
        case NodeKind::Ref:
            if (!n.ref.sheet.empty()) out += sheetPrefixText(n.ref.sheet);
            out += cellRefText(n.ref.first);
            if (n.ref.isRange) {
                out += ':';
                out += cellRefText(n.ref.last);
            }
            break;
        case NodeKind::Missing: break;
        case NodeKind::Unary:
            out += opText(n.op);
            write(*n.children[0], out);
            break;
        case NodeKind::Percent:
            write(*n.children[0], out);
            out += '%';
            break;
        case NodeKind::Binary:
            write(*n.children[0], out);
            out += opText(n.op);
            write(*n.children[1], out);
            break;
        case NodeKind::Paren:
            out += '(';
            write(*n.children[0], out);
            out += ')';
            break;
        case NodeKind::Call:
            out += n.text;
            out += '(';
            for (std::size_t i = 0; i < n.children.size(); ++i) {
                if (i) out += ',';
                write(*n.children[i], out);
            }
            out += ')';
            break;
    }
}

void collect(const Node& n, std::vector<Reference>& out) {
    if (n.kind == NodeKind::Ref) out.push_back(n.ref);
    for (const auto& c : n.children) collect(*c, out);
}

NodePtr refError() {
    auto n = std::make_shared<Node>();
    n->kind = NodeKind::Error;
    n->error = ErrorCode::Ref;
    return n;
}

// Rebuilds the tree with `refMap` applied to each reference node: it returns
// the same pointer for an unchanged reference, a new node otherwise. Unchanged
// subtrees are shared, not copied.
template <typename RefMap>
NodePtr transform(const NodePtr& n, RefMap& refMap) {
    if (n->kind == NodeKind::Ref) return refMap(n);
    if (n->children.empty()) return n;
    std::vector<NodePtr> children;
    bool changed = false;
    children.reserve(n->children.size());
    for (const auto& c : n->children) {
        children.push_back(transform(c, refMap));
        if (children.back() != c) changed = true;
    }
    if (!changed) return n;
    auto copy = std::make_shared<Node>(*n);
    copy->children = std::move(children);
    return copy;
}

// New row of a single cell under the row change; 0 when the cell is deleted or
// pushed off the grid.
int shiftedRow(int row, int atRow, int delta) {
    if (delta > 0) {
        if (row < atRow) return row;
        return row + delta <= kMaxRow ? row + delta : 0;
    }
    int count = -delta;
    int lastDeleted = atRow + count - 1;
    if (row < atRow) return row;
    if (row <= lastDeleted) return 0;
    return row - count;
}

}  // namespace

bool sameTree(const Node& a, const Node& b) {
    if (&a == &b) return true;
    if (a.kind != b.kind || a.children.size() != b.children.size()) return false;
    switch (a.kind) {
        case NodeKind::Number:
            if (a.number != b.number) return false;
            break;
        case NodeKind::String:
            if (a.text != b.text) return false;
            break;
        case NodeKind::Boolean:
            if (a.boolean != b.boolean) return false;
            break;
        case NodeKind::Error:
            if (a.error != b.error) return false;
            break;
        case NodeKind::Ref:
            if (a.ref.first != b.ref.first || a.ref.last != b.ref.last ||
                a.ref.isRange != b.ref.isRange || !equalsIgnoreCase(a.ref.sheet, b.ref.sheet))
                return false;
            break;
        case NodeKind::Unary:
        case NodeKind::Binary:
            if (a.op != b.op) return false;
            break;
        case NodeKind::Call:
            if (a.text != b.text) return false;
            break;
        default: break;
    }
    for (std::size_t i = 0; i < a.children.size(); ++i)
        if (!sameTree(*a.children[i], *b.children[i])) return false;
    return true;
}

}  // namespace detail

using detail::Node;
using detail::NodePtr;

std::string Expression::toText() const {
    if (!root_) return text_;
    std::string out;
    detail::write(*root_, out);
    return out;
}

std::vector<Reference> Expression::references() const {
    std::vector<Reference> out;
    if (root_) detail::collect(*root_, out);
    return out;
}

bool Expression::operator==(const Expression& other) const {
    if (!root_ || !other.root_) return !root_ && !other.root_ && text_ == other.text_;
    return detail::sameTree(*root_, *other.root_);
}

bool Expression::shiftRows(std::string_view formulaSheet, std::string_view changedSheet,
                           int atRow, int delta) {
    if (!root_ || delta == 0 || atRow < 1) return false;
    auto refMap = [&](const NodePtr& n) -> NodePtr {
        const Reference& r = n->ref;
        std::string_view sheet = r.sheet.empty() ? formulaSheet : std::string_view(r.sheet);
        if (!equalsIgnoreCase(sheet, changedSheet)) return n;
        Reference moved = r;
        if (!r.isRange) {
            int row = detail::shiftedRow(r.first.row, atRow, delta);
            if (row == 0) return detail::refError();
            moved.first.row = moved.last.row = row;
        } else if (delta > 0) {
            int first = detail::shiftedRow(r.first.row, atRow, delta);
            int last = detail::shiftedRow(r.last.row, atRow, delta);
            if (first == 0) return detail::refError();   // whole range pushed off the grid
            moved.first.row = first;
            moved.last.row = last == 0 ? kMaxRow : last;
        } else {
            int count = -delta;
            int lastDeleted = atRow + count - 1;
            int first = r.first.row, last = r.last.row;
            if (first >= atRow && last <= lastDeleted) return detail::refError();
            // Rows before the deletion stay; rows after move up; an end inside
            // the deleted block snaps to the surviving edge.
            int newFirst = first < atRow ? first : (first > lastDeleted ? first - count : atRow);
            int newLast = last < atRow ? last : (last > lastDeleted ? last - count : atRow - 1);
            moved.first.row = newFirst;
            moved.last.row = newLast;
        }
        if (moved == r) return n;
        auto copy = std::make_shared<Node>(*n);
        copy->ref = moved;
        return copy;
    };
    NodePtr result = detail::transform(root_, refMap);
    if (result == root_) return false;
    root_ = std::move(result);
    return true;
}

Expression Expression::offset(int dRow, int dCol) const {
    Expression out = *this;
    if (!root_ || (dRow == 0 && dCol == 0)) return out;
    auto move = [&](CellRef& c) {
        if (!c.colAbsolute) c.col += dCol;
        if (!c.rowAbsolute) c.row += dRow;
        return c.col >= 1 && c.col <= kMaxCol && c.row >= 1 && c.row <= kMaxRow;
    };
    auto refMap = [&](const NodePtr& n) -> NodePtr {
        Reference moved = n->ref;
        bool ok = move(moved.first);
        ok = move(moved.last) && ok;
        if (!ok) return detail::refError();
        if (moved == n->ref) return n;
        if (moved.isRange) detail::normaliseRange(moved);
        auto copy = std::make_shared<Node>(*n);
        copy->ref = moved;
        return copy;
    };
    out.root_ = detail::transform(root_, refMap);
    return out;
}

}  // namespace zevo::grid::formula
