#pragma once
// The TEXT function's number formats: "0", "00", "0.00", "#,##0.00", "0%",
// literal text around them, sections "positive;negative;zero", "@" for text,
// and day-first date formats (dd/mm/yyyy, d-m-yy, hh:mm:ss).
#include <string_view>

#include "zevo/grid/formula/Value.h"

namespace zevo::grid::formula::detail {

Value formatText(const Value& value, std::string_view format);

}  // namespace zevo::grid::formula::detail
