#include "zevo/rules/ExportName.h"

#include <algorithm>
#include <exception>

#include "Catalogue.h"
#include "zevo/ErrorLog.h"
#include "zevo/Text.h"
#include "zevo/clsVariables.h"

// Built into the rules library and into the program (the export dialog), so that
// the name the special report writes into its sheet and the file name the dialog
// writes can never differ.
namespace zevo::rules {

namespace {

std::string cellValue(const xml::DocumentPtr& doc, const std::string& id) {
    if (!doc) return {};
    return xml::GetAttributeValue(doc->elementById(id), "Value");
}

std::string withoutDashes(std::string s) {
    s.erase(std::remove(s.begin(), s.end(), '-'), s.end());
    return s;
}

bool allDigits(const std::string& s) {
    if (s.empty()) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

}  // namespace

std::string getPrefixExportName(const std::string& logModule) {
    try {
        const xml::DocumentPtr data = clsVariables().Data(0);
        std::string taxCode = withoutDashes(cellValue(data, "K_9"));
        if (taxCode.size() == 10) taxCode += "000";

        std::string shortName;
        const std::string office = cellValue(data, "O_15");
        try {
            const xml::DocumentPtr taxOffices = xml::Document::create();
            catalogue::loadInto(taxOffices, catalogue::kTaxOfficeFile);
            xml::Node item = catalogue::findById(taxOffices, 2, office);
            if (!item.isNull()) shortName = xml::GetAttributeValue(item.parent(), "shortname");
        } catch (const std::exception& e) {
            // Without the catalogue the name starts with "-"; the export goes on.
            WriteErrorLog(logModule, "getPrefixExportName", e);
        }

        std::string number = text::trimSpaces(cellValue(data, "L_17"));
        if (number.empty() || number == "0") {
            number = "001";
        } else if (allDigits(number)) {
            number.erase(0, std::min(number.find_first_not_of('0'), number.size() - 1));
            while (number.size() < 3) number.insert(number.begin(), '0');
        }
        return shortName + "-" + taxCode + "-" + number;
    } catch (const std::exception& e) {
        WriteErrorLog(logModule, "getPrefixExportName", e);
        return {};
    }
}

}  // namespace zevo::rules
