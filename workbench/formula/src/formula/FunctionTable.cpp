#include <mutex>

#include "Functions.h"

namespace zevo::grid::formula::detail {

namespace {

const std::vector<FunctionInfo>& table() {
    static const std::vector<FunctionInfo> functions = [] {
        std::vector<FunctionInfo> t;
        addLogicalFunctions(t);
        addTextFunctions(t);
        addMathFunctions(t);
        addDateFunctions(t);
        return t;
    }();
    return functions;
}

}  // namespace

int findFunction(std::string_view upperName) {
    const auto& t = table();
    for (std::size_t i = 0; i < t.size(); ++i)
        if (t[i].name == upperName) return static_cast<int>(i);
    return -1;
}

const FunctionInfo& functionInfo(int index) { return table().at(static_cast<std::size_t>(index)); }

}  // namespace zevo::grid::formula::detail
