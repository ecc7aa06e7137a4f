// The .xlsx reader on whole files (zip container and every part): any bytes give
// a workbook or a RuntimeError, within bounded memory.
#include "FuzzSupport.h"
#include "zevo/RuntimeError.h"
#include "zevo/grid/XlsxReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string& path = zevo::fuzz::scratchFile("in.xlsx");
    zevo::fuzz::writeFile(path, data, size);
    try {
        zevo::grid::readXlsx(path);
    } catch (const zevo::RuntimeError&) {
    }
    return 0;
}
