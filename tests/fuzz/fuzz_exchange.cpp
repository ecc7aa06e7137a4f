// The exchange reader's untrusted side: file bytes to text, and sheet blocks to
// rows. Any input gives text or a refusal, a block or nullopt; text decoded from
// a file encodes back to the same file.
#include "FuzzSupport.h"
#include "zevo/RuntimeError.h"
#include "zevo/exchange/ExchangeFile.h"
#include "zevo/exchange/ExchangeReader.h"
#include "zevo/exchange/ExchangeText.h"

using namespace zevo::exchange;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    if (auto text = fromUtf16File(bytes)) {
        auto again = fromUtf16File(toUtf16File(*text));
        if (!again || *again != *text) std::abort();
    }
    try {
        if (auto block = parseSheetBlock(bytes))
            for (const auto& section : block->sections)
                for (const std::string& row : section)
                    for (std::string_view value : splitValues(row)) decodeValue(value);
    } catch (const zevo::RuntimeError&) {
    }
    return 0;
}
