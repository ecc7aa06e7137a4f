// LZW coder of "Session.dat": any stream decodes within its bound or fails with
// a RuntimeError; anything compressed decodes back to itself. The empty text is
// the layout's one exception: its stream holds code 0 and reads back as a NUL,
// which is why the session file stores the empty text without a stream.
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
    const std::string packed = lzw.Compress(input);
    const std::string expected = input.empty() ? std::string(1, '\0') : input;
    if (lzw.DeCompress(packed) != expected) std::abort();
    return 0;
}
