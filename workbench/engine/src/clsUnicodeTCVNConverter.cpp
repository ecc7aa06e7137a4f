#include "zevo/engine/clsUnicodeTCVNConverter.h"

#include "zevo/clsMessageBox.h"

namespace zevo::engine {

clsUnicodeTCVNConverter::clsUnicodeTCVNConverter()
    : converter_(clsMessageBox().GetAbsolutePath("..\\References\\")) {}

std::string clsUnicodeTCVNConverter::Convert(const std::string& pString, int pFrom,
                                             int pTo) const {
    return converter_.Convert(pString, pFrom, pTo);
}

}  // namespace zevo::engine
