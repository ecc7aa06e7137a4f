#pragma once
#include "Description.h"

#include <string>

namespace zevo::tools {

// Writes the workbook of a description with libxlsxwriter; throws
// std::runtime_error when the library reports an error.
void writeWorkbook(const Description& d, const std::string& outPath);

}  // namespace zevo::tools
