#pragma once
#include "Description.h"

#include <string>

#include "zevo/grid/WorkbookData.h"

namespace zevo::tools {

// The workbook a description gives, as the grid's writer takes it.
grid::WorkbookData workbookData(const Description& d);

// Writes the workbook of a description with the grid's .xlsx writer; throws
// std::runtime_error (a zevo::RuntimeError) when it cannot.
void writeWorkbook(const Description& d, const std::string& outPath);

}  // namespace zevo::tools
