#pragma once
// Values in the exchange text: the encoding the writer applies to each value, the
// decoding the reader applies after splitting a row at "~", and how the control
// character U+0014 of that encoding crosses the XML parser.
//
// Why the shield: the reader parses each sheet block as an XML document, but
// U+0014 is not an XML 1.0 character, so libxml2 rejects a block that holds one
// (also as the reference "&#x14;"). Before parsing, every U+0014 becomes the two
// private-use characters U+E000 U+E014 and every literal U+E000 becomes U+E000
// U+E000; after the split each value is read back left to right. The mapping is
// one-to-one, so a value that itself holds U+E000 or U+E014 comes back unchanged.
#include <string>
#include <string_view>
#include <vector>

namespace zevo::exchange {

// The character that stands for "~" inside a value (and twice in "#").
inline constexpr char kTilde = '\x14';

// "~" -> U+0014, "&" -> "&amp;", "'" -> "&apos;", '"' -> "&quot;", ">" -> "&gt;",
// "<" -> "&lt;", "#" -> "1" U+0014 U+0014 "1": the seven steps in their order.
std::string encodeValue(std::string_view value);
// "1" U+0014 U+0014 "1" -> "#", then every U+0014 -> "~".
std::string decodeValue(std::string_view value);
// The values of a row block's text, split at "~"; the empty text has none.
std::vector<std::string_view> splitValues(std::string_view row);

// Before parsing: U+0014 -> U+E000 U+E014, U+E000 -> U+E000 U+E000.
std::string shieldForParser(std::string_view text);
// After the split: the inverse of shieldForParser (a U+E000 followed by anything
// else, which only a file from elsewhere can hold, stays as it is).
std::string unshieldAfterParser(std::string_view text);

// What the reader stores for one value of a parsed row: unshielded, then decoded.
inline std::string readValue(std::string_view parsed) {
    return decodeValue(unshieldAfterParser(parsed));
}

}  // namespace zevo::exchange
