#pragma once
// The parsed tree of a formula. Nodes are immutable once built and shared
// between expressions; transformations rebuild only the path to what changed.
#include <memory>
#include <string>
#include <vector>

#include "zevo/grid/formula/Reference.h"
#include "zevo/grid/formula/Value.h"

namespace zevo::grid::formula::detail {

enum class NodeKind {
    Number,
    String,
    Boolean,
    Error,     // error literal, also what a deleted reference turns into
    Ref,       // cell or range
    Missing,   // an empty argument: IF(A1,,1)
    Unary,     // op is Neg or Plus
    Percent,   // postfix %
    Binary,
    Paren,
    Call,
};

enum class Op { Add, Sub, Mul, Div, Pow, Concat, Eq, Ne, Lt, Gt, Le, Ge, Neg, Plus };

struct Node;
using NodePtr = std::shared_ptr<const Node>;

struct Node {
    NodeKind kind = NodeKind::Missing;
    double number = 0;
    bool boolean = false;
    ErrorCode error = ErrorCode::Value;
    std::string text;        // string literal; function name in capitals
    int function = -1;       // index into the function table; -1 = unknown name
    Reference ref;
    Op op = Op::Add;
    std::vector<NodePtr> children;
    int height = 1;          // longest path to a leaf; bounds every recursion over the tree
};

bool sameTree(const Node& a, const Node& b);

}  // namespace zevo::grid::formula::detail
