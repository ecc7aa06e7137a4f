#pragma once
// LZW coder of the session file: 12-bit codes packed in pairs into three bytes,
// dictionary of 4096 codes reset when full. Works on byte strings.
#include <string>

namespace zevo {

class clsLZWCompress {
public:
    std::string Compress(const std::string& IPStr) const;
    std::string DeCompress(const std::string& IPStr) const;
};

}  // namespace zevo
