#pragma once
// LZW coder of the session file: 12-bit codes packed in pairs into three bytes,
// dictionary of 4096 codes reset when full. Works on byte strings.
#include <cstdint>
#include <string>

namespace zevo {

class clsLZWCompress {
public:
    std::string Compress(const std::string& IPStr) const;
    // RuntimeError for a damaged stream, or one that decodes to more than
    // maxOutput bytes (a few bytes of LZW can stand for megabytes).
    std::string DeCompress(const std::string& IPStr, size_t maxOutput = SIZE_MAX) const;
};

}  // namespace zevo
