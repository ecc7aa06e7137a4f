#include "zevo/exchange/ExchangeFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "zevo/Text.h"
#include "zevo/Xml.h"

namespace zevo::exchange {

namespace {

void putUnit(std::string& out, unsigned unit) {
    out += static_cast<char>(unit & 0xFF);
    out += static_cast<char>(unit >> 8);
}

// The code point starting at s[i] (advancing i); U+FFFD for a malformed sequence.
char32_t nextCodePoint(std::string_view s, std::size_t& i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char lead = byte(i);
    int length = 0;
    char32_t c = 0, minimum = 0;
    if (lead < 0x80) {
        ++i;
        return lead;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2, c = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, c = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, c = lead & 0x07, minimum = 0x10000;
    } else {
        ++i;
        return 0xFFFD;
    }
    if (i + length > s.size()) {
        i = s.size();
        return 0xFFFD;
    }
    for (int k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) {
            i += k;
            return 0xFFFD;
        }
        c = (c << 6) | (byte(i + k) & 0x3F);
    }
    i += length;
    if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0xFFFD;
    return c;
}

}  // namespace

std::string toUtf16File(std::string_view utf8) {
    std::string out;
    out.reserve(2 + 2 * utf8.size());
    out += "\xFF\xFE";
    for (std::size_t i = 0; i < utf8.size();) {
        const char32_t c = nextCodePoint(utf8, i);
        if (c < 0x10000) {
            putUnit(out, static_cast<unsigned>(c));
        } else {
            const char32_t v = c - 0x10000;
            putUnit(out, 0xD800 + static_cast<unsigned>(v >> 10));
            putUnit(out, 0xDC00 + static_cast<unsigned>(v & 0x3FF));
        }
    }
    return out;
}

std::optional<std::string> fromUtf16File(std::string_view bytes) {
    if (bytes.size() < 2 || bytes.size() % 2 != 0) return std::nullopt;
    if (static_cast<unsigned char>(bytes[0]) != 0xFF || static_cast<unsigned char>(bytes[1]) != 0xFE)
        return std::nullopt;
    std::string out;
    out.reserve(bytes.size() / 2);
    const auto unitAt = [&](std::size_t k) {
        return static_cast<unsigned>(static_cast<unsigned char>(bytes[k])) |
               static_cast<unsigned>(static_cast<unsigned char>(bytes[k + 1])) << 8;
    };
    for (std::size_t k = 2; k < bytes.size(); k += 2) {
        const unsigned unit = unitAt(k);
        if (unit == '\r' || unit == '\n') continue;   // the lines are joined
        if (unit >= 0xDC00 && unit <= 0xDFFF) return std::nullopt;
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            if (k + 2 >= bytes.size()) return std::nullopt;
            const unsigned low = unitAt(k + 2);
            if (low < 0xDC00 || low > 0xDFFF) return std::nullopt;
            text::appendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
            k += 2;
            continue;
        }
        text::appendUtf8(out, unit);
    }
    return out;
}

ExchangeFileText readExchangeFile(const std::string& path) {
    ExchangeFileText result;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        result.status = ReadStatus::CannotOpen;
        result.osError = errno;
        return result;
    }
    struct stat st{};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        result.status = ReadStatus::CannotOpen;
        result.osError = S_ISDIR(st.st_mode) ? EISDIR : errno;
        ::close(fd);
        return result;
    }
    if (static_cast<std::size_t>(st.st_size) > kMaxExchangeFileBytes) {
        result.status = ReadStatus::NotUnicode;
        ::close(fd);
        return result;
    }
    std::string bytes(static_cast<std::size_t>(st.st_size), '\0');
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            result.status = ReadStatus::CannotOpen;
            result.osError = errno;
            ::close(fd);
            return result;
        }
        if (n == 0) break;   // the file shrank while it was read
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
    bytes.resize(done);
    std::optional<std::string> text = fromUtf16File(bytes);
    if (!text) {
        result.status = ReadStatus::NotUnicode;
        return result;
    }
    result.text = std::move(*text);
    return result;
}

void writeExchangeFile(const std::string& path, std::string_view utf8) {
    xml::writeFileAtomically(path, toUtf16File(utf8));
}

}  // namespace zevo::exchange
