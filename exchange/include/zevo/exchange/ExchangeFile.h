#pragma once
// Exchange files on disk: Unicode text, UTF-16 little-endian with a byte-order
// mark. The reader joins the file's lines without their line ends.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace zevo::exchange {

// Bytes of the file for a UTF-8 text: the mark FF FE, then the text in UTF-16LE.
// A byte that is not valid UTF-8 (no declaration document holds one) becomes U+FFFD.
std::string toUtf16File(std::string_view utf8);

// The UTF-8 text of a file's bytes with every CR and LF left out; nullopt when the
// bytes are not UTF-16LE text: no byte-order mark, an odd byte count, or a
// surrogate without its partner.
std::optional<std::string> fromUtf16File(std::string_view bytes);

// Larger files are refused before they are read: the largest declaration the
// templates allow takes far less.
inline constexpr std::size_t kMaxExchangeFileBytes = std::size_t(1) << 30;

enum class ReadStatus { Ok, CannotOpen, NotUnicode };

struct ExchangeFileText {
    ReadStatus status = ReadStatus::Ok;
    int osError = 0;      // errno when the file could not be opened or read
    std::string text;     // UTF-8, lines joined
};

ExchangeFileText readExchangeFile(const std::string& path);

// Writes the text as an exchange file, replacing the file atomically. Throws
// RuntimeError carrying the errno (see xml::writeFileAtomically).
void writeExchangeFile(const std::string& path, std::string_view utf8);

}  // namespace zevo::exchange
