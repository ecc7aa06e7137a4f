#include "zevo/exchange/ExchangeText.h"

namespace zevo::exchange {

namespace {

constexpr std::string_view kShield = "\xEE\x80\x80";      // U+E000
constexpr std::string_view kShieldedMark = "\xEE\x80\x94"; // U+E014
constexpr std::string_view kHashForm = "1\x14\x14" "1";

}  // namespace

std::string encodeValue(std::string_view value) {
    // One pass does the seven steps: no step's output holds what a later step replaces.
    std::string out;
    out.reserve(value.size() + 8);
    for (char c : value) {
        switch (c) {
            case '~': out += kTilde; break;
            case '&': out += "&amp;"; break;
            case '\'': out += "&apos;"; break;
            case '"': out += "&quot;"; break;
            case '>': out += "&gt;"; break;
            case '<': out += "&lt;"; break;
            case '#': out += kHashForm; break;
            default: out += c;
        }
    }
    return out;
}

std::string decodeValue(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (std::size_t i = 0; i < value.size();) {
        if (value.compare(i, kHashForm.size(), kHashForm) == 0) {
            out += '#';
            i += kHashForm.size();
        } else {
            out += value[i] == kTilde ? '~' : value[i];
            ++i;
        }
    }
    return out;
}

std::vector<std::string_view> splitValues(std::string_view row) {
    std::vector<std::string_view> values;
    if (row.empty()) return values;
    std::size_t start = 0;
    for (;;) {
        const std::size_t bar = row.find('~', start);
        if (bar == std::string_view::npos) {
            values.push_back(row.substr(start));
            return values;
        }
        values.push_back(row.substr(start, bar - start));
        start = bar + 1;
    }
}

std::string shieldForParser(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == kTilde) {
            out += kShield;
            out += kShieldedMark;
        } else if (text.compare(i, kShield.size(), kShield) == 0) {
            out += kShield;
            out += kShield;
            i += kShield.size() - 1;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string unshieldAfterParser(std::string_view text) {
    if (text.find(kShield) == std::string_view::npos) return std::string(text);
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        if (text.compare(i, kShield.size(), kShield) != 0) {
            out += text[i++];
            continue;
        }
        const std::string_view next = text.substr(i + kShield.size(), kShield.size());
        if (next == kShieldedMark) {
            out += kTilde;
            i += 2 * kShield.size();
        } else if (next == kShield) {
            out += kShield;
            i += 2 * kShield.size();
        } else {
            out += kShield;
            i += kShield.size();
        }
    }
    return out;
}

}  // namespace zevo::exchange
