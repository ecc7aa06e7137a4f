// LZW coder of "Session.dat": any stream decodes within its bound or fails with
// a RuntimeError; anything compressed decodes back to itself.
#include "FuzzSupport.h"
#include "zevo/RuntimeError.h"
#include "zevo/clsLZWCompress.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const zevo::clsLZWCompress lzw;
    try {
        const std::string out = lzw.DeCompress(input, 1u << 20);
        if (out.size() > (1u << 20)) std::abort();
    } catch (const zevo::RuntimeError&) {
    }
    if (lzw.DeCompress(lzw.Compress(input)) != input) std::abort();
    return 0;
}
