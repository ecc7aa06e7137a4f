#pragma once
// The program's own Vietnamese converter: the same conversion as the utility
// library's clsUnicodeConvert, with the tables installed in "..\References\" so
// that report templates and their fonts travel with the program's data.
#include <string>

#include "zevo/clsUnicodeConvert.h"

namespace zevo::engine {

class clsUnicodeTCVNConverter {
public:
    // Resolves the table folder "..\References\" now.
    clsUnicodeTCVNConverter();

    // See clsUnicodeConvert::Convert.
    std::string Convert(const std::string& pString, int pFrom, int pTo) const;

    const std::string& tableFolder() const { return converter_.tableFolder(); }

private:
    clsUnicodeConvert converter_;
};

}  // namespace zevo::engine
