#include "zevo/engine/CheckTaxCode.h"

#include <array>
#include <exception>

#include "zevo/ErrorLog.h"
#include "zevo/rules/TaxCode.h"

namespace zevo::engine {

bool CheckTaxCode(const std::string& c1, const std::string& c2, const std::string& c3,
                  const std::string& c4, const std::string& c5, const std::string& c6,
                  const std::string& c7, const std::string& c8, const std::string& c9,
                  const std::string& c10) {
    try {
        return rules::taxcode::checkTenDigits({c1, c2, c3, c4, c5, c6, c7, c8, c9, c10});
    } catch (const std::exception& e) {
        WriteErrorLog("mdlFunctions", "CheckTaxCode", e);
        return false;
    }
}

bool CheckTaxCode(const std::string& tenDigits) {
    if (tenDigits.size() < 10) return false;
    std::array<std::string, 10> c;
    for (std::size_t i = 0; i < 10; ++i) c[i] = tenDigits.substr(i, 1);
    return CheckTaxCode(c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7], c[8], c[9]);
}

}  // namespace zevo::engine
