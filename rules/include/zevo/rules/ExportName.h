#pragma once
// The name prefix of exported declaration workbooks: tax office short name, tax
// code (13 digits) and number, e.g. "HNI-0101234567000-002".
#include <string>

namespace zevo::rules {

// Reads "K_9", "O_15" and "L_17" of the first sheet document and the tax office
// catalogue. Errors are logged under logModule and give "".
std::string getPrefixExportName(const std::string& logModule = "clsZEVOSpecialReport");

}  // namespace zevo::rules
