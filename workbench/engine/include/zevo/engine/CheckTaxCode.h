#pragma once
// The program's ten-digit tax code check.
#include <string>

namespace zevo::engine {

// True when the tenth character is the check digit of the first nine (a non-digit
// among the first nine counts as 0; a tenth character that is not a number never
// matches). Errors are logged ("mdlFunctions", "CheckTaxCode") and give false.
bool CheckTaxCode(const std::string& c1, const std::string& c2, const std::string& c3,
                  const std::string& c4, const std::string& c5, const std::string& c6,
                  const std::string& c7, const std::string& c8, const std::string& c9,
                  const std::string& c10);

// The same over the first ten characters of a text; a shorter text is false.
bool CheckTaxCode(const std::string& tenDigits);

}  // namespace zevo::engine
