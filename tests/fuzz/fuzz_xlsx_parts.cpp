// The .xlsx part parsers on their own, without the zip layer in the way: the
// first byte picks shared strings, a worksheet, styles or notes, the rest is the
// part. Each gives its data or a RuntimeError.
#include "FuzzSupport.h"
#include "XlsxSheetParts.h"
#include "XlsxStyles.h"
#include "zevo/RuntimeError.h"
#include "zevo/grid/XlsxReader.h"

using namespace zevo::grid;
using namespace zevo::grid::xlsx;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    zevo::fuzz::Bytes in(data, size);
    const std::size_t which = in.below(4);
    const std::string part = in.rest();
    static const std::vector<std::string> strings = {"a", "Mã số thuế", std::string(100, 'x')};
    try {
        SheetContext context{strings, 4, 100000, 16u << 20};
        switch (which) {
            case 0: parseSharedStrings(part); break;
            case 1: parseWorksheet(part, "sheet1.xml", context); break;
            case 2: parseStyles(part, defaultThemeColours()); break;
            case 3: {
                SheetData sheet = parseWorksheet("<worksheet><sheetData><row r=\"2\"><c r=\"B2\"><v>1</v></c></row>"
                                                 "</sheetData></worksheet>", "sheet1.xml", context);
                applyComments(sheet, part, "comments1.xml", context);
                break;
            }
        }
    } catch (const zevo::RuntimeError&) {
    }
    return 0;
}
