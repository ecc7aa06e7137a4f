#include "zevo/clsUnicodeConvert.h"

#include <array>
#include <fstream>
#include <iterator>
#include <mutex>
#include <sstream>
#include <unordered_map>
#include <vector>

#include "zevo/ErrorLog.h"
#include "zevo/RuntimeError.h"
#include "zevo/Text.h"
#include "zevo/Xml.h"

namespace zevo {
namespace {

using text::appendUtf8;

std::mutex gOverrideMutex;
std::string gLibraryFolderOverride;

std::string withTrailingSlash(std::string folder) {
    for (char& c : folder)
        if (c == '\\') c = '/';
    if (folder.empty() || folder.back() != '/') folder += '/';
    return folder;
}

// One character of UTF-8 text: its code point and its bytes. Malformed bytes
// come one at a time with code point -1 and are copied as they stand.
struct Utf8Char {
    long code;
    std::string_view bytes;
};

std::vector<Utf8Char> decodeUtf8(std::string_view s) {
    std::vector<Utf8Char> out;
    out.reserve(s.size());
    size_t i = 0;
    while (i < s.size()) {
        auto b = static_cast<unsigned char>(s[i]);
        size_t len = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
        long code = len == 1 ? b : len == 2 ? (b & 0x1F) : len == 3 ? (b & 0x0F) : (b & 0x07);
        bool ok = len > 0 && i + len <= s.size();
        for (size_t k = 1; ok && k < len; ++k) {
            auto c = static_cast<unsigned char>(s[i + k]);
            if ((c & 0xC0) != 0x80) ok = false;
            code = (code << 6) | (c & 0x3F);
        }
        // Overlong forms ("C0 BC" for "<"), surrogates and code points past
        // U+10FFFF are broken bytes, not characters.
        static constexpr long kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
        if (ok && (code < kLeast[len] || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF))
            ok = false;
        if (!ok) {
            out.push_back({-1, s.substr(i, 1)});
            ++i;
        } else {
            out.push_back({code, s.substr(i, len)});
            i += len;
        }
    }
    return out;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw RuntimeError(err::kFileNotFound, "File not found: " + path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> splitCrLf(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", start)) {
        lines.push_back(text.substr(start, at - start));
        start = at + 2;
    }
    lines.push_back(text.substr(start));
    return lines;
}

// The Unicode letter list, one code point per letter.
std::vector<long> unicodeVowels(const std::string& folder) {
    const std::string path = folder + "UnicodeVowels.xml";
    xml::LoadResult result;
    auto doc = xml::Document::fromFile(path, &result, xml::Trust::Installed);
    if (result.status == xml::LoadStatus::NotFound)
        throw RuntimeError(err::kFileNotFound, "File not found: " + path);
    if (!result.ok() || !doc || doc->isEmpty())
        throw RuntimeError(err::kInvalidCall, path + ": " + result.reason);
    std::vector<long> codes;
    for (const auto& ch : decodeUtf8(doc->documentElement().text())) codes.push_back(ch.code);
    return codes;
}

enum class Layout { Bytes, Lines, None };

Layout layoutOf(int set) {
    switch (set) {
        case VPS:
        case VISCII:
        case TCVN: return Layout::Bytes;
        case VNI:
        case VIQR: return Layout::Lines;
        default: return Layout::None;
    }
}

std::string vowelFile(int set) {
    switch (set) {
        case VPS: return "VPSVowels.txt";
        case VISCII: return "VISCIIVowels.txt";
        case TCVN: return "TCVNVowels.txt";
        case VNI: return "VNIVowels.txt";
        default: return "VIQRVowels.txt";
    }
}

std::string mapFile(int set) { return set == VNI ? "VNIVowelMap.txt" : "VIQRVowelMap.txt"; }

void requireSize(size_t have, size_t want, const std::string& file) {
    if (have < want)
        throw RuntimeError(err::kSubscriptOutOfRange,
                           file + " has " + std::to_string(have) + " letters, expected " +
                               std::to_string(want));
}

// A character the target table does not hold, written into legacy text.
void appendUnmapped(std::string& out, const Utf8Char& ch) {
    if (ch.code >= 0 && ch.code < 0x100) out += static_cast<char>(ch.code);
    else out.append(ch.bytes);
}

std::string fromUnicode(const std::string& text, int to, const std::string& folder) {
    const std::vector<long> vowels = unicodeVowels(folder);
    const std::string file = vowelFile(to);
    const std::string table = readFile(folder + file);
    std::vector<std::string> lines;
    if (layoutOf(to) == Layout::Bytes) requireSize(table.size(), vowels.size(), file);
    else {
        lines = splitCrLf(table);
        requireSize(lines.size(), vowels.size(), file);
    }

    // Position of each letter; the first one wins where a table repeats a letter.
    std::unordered_map<long, size_t> positions;
    for (size_t k = 0; k < vowels.size(); ++k) positions.emplace(vowels[k], k);

    std::string out;
    out.reserve(text.size());
    for (const auto& ch : decodeUtf8(text)) {
        if (ch.code == '\r' || ch.code == '\n') {
            out += static_cast<char>(ch.code);
            continue;
        }
        auto found = positions.find(ch.code);
        if (ch.code < 0 || found == positions.end()) appendUnmapped(out, ch);
        else if (lines.empty()) out += table[found->second];
        else out += lines[found->second];
    }
    return out;
}

// Legacy byte as Unicode when it is none of the table's letters.
void appendLegacyByte(std::string& out, char byte) {
    appendUtf8(out, static_cast<unsigned char>(byte));
}

std::string bytesToUnicode(const std::string& text, const std::string& table,
                           const std::vector<long>& vowels) {
    // Letter of each byte value; the first position wins where bytes repeat.
    std::array<long, 256> letterOf;
    letterOf.fill(-1);
    for (size_t k = vowels.size(); k-- > 0;) letterOf[static_cast<unsigned char>(table[k])] = vowels[k];

    std::string out;
    out.reserve(text.size() * 2);
    for (char c : text) {
        long letter = letterOf[static_cast<unsigned char>(c)];
        if (c == '\r' || c == '\n' || letter < 0) appendLegacyByte(out, c);
        else appendUtf8(out, letter);
    }
    return out;
}

// Multi-character sequences to Unicode. The map lines are applied in order, each
// over the text not yet replaced; replaced letters are kept as positions beside
// the text rather than as "|nnn" markers inside it, so a "|" followed by digits
// in the input stays what it is.
std::string sequencesToUnicode(const std::string& text, const std::vector<std::string>& mapLines,
                               const std::vector<long>& vowels, const std::string& file) {
    struct Piece {
        std::string raw;   // unreplaced text when position == 0
        int position = 0;  // 1-based letter position
    };
    std::vector<Piece> pieces{{text, 0}};

    for (size_t i = 0; i + 1 < mapLines.size(); ++i) {
        const std::string& line = mapLines[i];
        if (line.size() < 4) continue;
        std::string source = line.substr(0, std::min<size_t>(3, line.size() - 3));
        while (!source.empty() && source.back() == ' ') source.pop_back();
        const std::string digits = line.substr(line.size() - 3);
        int position = 0;
        bool numeric = true;
        for (char d : digits) {
            if (d < '0' || d > '9') numeric = false;
            else position = position * 10 + (d - '0');
        }
        if (source.empty() || !numeric || position == 0) continue;
        requireSize(vowels.size(), static_cast<size_t>(position), file);

        std::vector<Piece> next;
        next.reserve(pieces.size());
        for (auto& piece : pieces) {
            if (piece.position != 0) {
                next.push_back(std::move(piece));
                continue;
            }
            size_t start = 0;
            for (size_t at = piece.raw.find(source); at != std::string::npos;
                 at = piece.raw.find(source, start)) {
                if (at > start) next.push_back({piece.raw.substr(start, at - start), 0});
                next.push_back({{}, position});
                start = at + source.size();
            }
            if (start < piece.raw.size()) next.push_back({piece.raw.substr(start), 0});
        }
        pieces = std::move(next);
    }

    std::string out;
    out.reserve(text.size() * 2);
    for (const auto& piece : pieces) {
        if (piece.position != 0) appendUtf8(out, vowels[piece.position - 1]);
        else
            for (char c : piece.raw) appendLegacyByte(out, c);
    }
    return out;
}

std::string toUnicode(const std::string& text, int from, const std::string& folder) {
    const std::vector<long> vowels = unicodeVowels(folder);
    if (layoutOf(from) == Layout::Bytes) {
        const std::string file = vowelFile(from);
        const std::string table = readFile(folder + file);
        requireSize(table.size(), vowels.size(), file);
        return bytesToUnicode(text, table, vowels);
    }
    const std::string file = mapFile(from);
    return sequencesToUnicode(text, splitCrLf(readFile(folder + file)), vowels, file);
}

std::string libraryFolder() {
    {
        std::lock_guard lock(gOverrideMutex);
        if (!gLibraryFolderOverride.empty()) return gLibraryFolderOverride;
    }
    return moduleFolderOf(reinterpret_cast<const void*>(&libraryFolder));
}

}  // namespace

void clsUnicodeConvert::setLibraryFolderOverride(const std::string& folder) {
    std::lock_guard lock(gOverrideMutex);
    gLibraryFolderOverride = folder;
}

clsUnicodeConvert::clsUnicodeConvert() : folder_(withTrailingSlash(libraryFolder())) {}

clsUnicodeConvert::clsUnicodeConvert(std::string tableFolder)
    : folder_(withTrailingSlash(std::move(tableFolder))) {}

std::string clsUnicodeConvert::Convert(const std::string& pString, int pFrom, int pTo) const {
    if (pFrom == pTo || pString.empty()) return pString;
    if (pFrom == UNICODE) {
        if (layoutOf(pTo) == Layout::None) return {};
        return fromUnicode(pString, pTo, folder_);
    }
    if (layoutOf(pFrom) == Layout::None) return {};
    return toUnicode(pString, pFrom, folder_);
}

}  // namespace zevo
