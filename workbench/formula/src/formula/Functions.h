#pragma once
// The function table: names, argument counts and implementations.
#include <string_view>
#include <vector>

#include "Node.h"
#include "zevo/grid/formula/Value.h"

namespace zevo::grid::formula::detail {

class Evaluator;

using FunctionImpl = Value (*)(const Node& call, Evaluator& ev);

struct FunctionInfo {
    std::string_view name;
    int minArgs;
    int maxArgs;   // -1 = any number
    FunctionImpl impl;
};

// Index of the function called `upperName`, or -1.
int findFunction(std::string_view upperName);
const FunctionInfo& functionInfo(int index);

// Each group registers its functions into the table.
void addLogicalFunctions(std::vector<FunctionInfo>& table);
void addTextFunctions(std::vector<FunctionInfo>& table);
void addMathFunctions(std::vector<FunctionInfo>& table);
void addDateFunctions(std::vector<FunctionInfo>& table);

}  // namespace zevo::grid::formula::detail
