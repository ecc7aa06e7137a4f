// Character converters over the installed tables: any text in any direction
// converts without a fault, and text converted to Unicode is valid UTF-8.
#include <string_view>

#include "FuzzSupport.h"
#include "zevo/RuntimeError.h"
#include "zevo/clsUnicodeConvert.h"

namespace {

bool validUtf8(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        std::size_t len = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
        if (len == 0 || i + len > s.size()) return false;
        char32_t cp = len == 1 ? b : len == 2 ? (b & 0x1F) : len == 3 ? (b & 0x0F) : (b & 0x07);
        for (std::size_t k = 1; k < len; ++k) {
            const auto c = static_cast<unsigned char>(s[i + k]);
            if ((c & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (c & 0x3F);
        }
        static constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
        if (cp < kLeast[len] || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) return false;
        i += len;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    zevo::fuzz::Bytes in(data, size);
    const int from = 1 + static_cast<int>(in.below(6));
    const int to = 1 + static_cast<int>(in.below(6));
    const std::string text = in.rest();
    static const char* folder = std::getenv("ZEVO_FUZZ_TABLES");
    static const zevo::clsUnicodeConvert convert = folder ? zevo::clsUnicodeConvert(folder)
                                                          : zevo::clsUnicodeConvert();
    try {
        const std::string out = convert.Convert(text, from, to);
        // From a legacy set the result is always Unicode, and Unicode is valid.
        if (from != zevo::UNICODE && from != to && !validUtf8(out)) std::abort();
    } catch (const zevo::RuntimeError&) {
    }
    return 0;
}
