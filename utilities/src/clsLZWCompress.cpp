#include "zevo/clsLZWCompress.h"

#include <cstdint>
#include <algorithm>
#include <vector>

#include "zevo/RuntimeError.h"

namespace zevo {
namespace {

constexpr int kFirstFree = 256;
constexpr int kCodeLimit = 4096;   // codes 0 … 4095

// Packs 12-bit codes two by two into three bytes; a last single code takes two.
class CodePacker {
public:
    explicit CodePacker(std::string& out) : out_(out) {}
    void put(int code) {
        if (!havePending_) {
            pending_ = code;
            havePending_ = true;
            return;
        }
        out_.push_back(static_cast<char>(pending_ >> 4));
        out_.push_back(static_cast<char>(((pending_ & 0xF) << 4) | (code & 0xF)));
        out_.push_back(static_cast<char>(code >> 4));
        havePending_ = false;
    }
    void finish() {
        if (!havePending_) return;
        out_.push_back(static_cast<char>(pending_ >> 4));
        out_.push_back(static_cast<char>((pending_ & 0xF) << 4));
        havePending_ = false;
    }

private:
    std::string& out_;
    int pending_ = 0;
    bool havePending_ = false;
};

// The learned strings, keyed by (code of the string without its last byte, last
// byte): the same answers as a map of whole strings, since every learned string
// is a known string plus one byte. After a reset the first string learned is two
// single bytes, whose codes never change, so no stale prefix code is ever used.
class CompressDictionary {
public:
    CompressDictionary() : slots_(static_cast<size_t>(kCodeLimit) * 256, 0) {}

    // Code of prefix + c, or -1 after learning it under the next free code.
    int lookup(int prefix, unsigned char c) {
        if (next_ > kCodeLimit - 1) reset();
        uint16_t& slot = slots_[static_cast<size_t>(prefix) * 256 + c];
        if (slot != 0) return slot;
        slot = static_cast<uint16_t>(next_++);
        used_.push_back(&slot);
        return -1;
    }

private:
    void reset() {
        for (uint16_t* s : used_) *s = 0;
        used_.clear();
        next_ = kFirstFree;
    }
    std::vector<uint16_t> slots_;   // 0 = absent (learned codes are >= 256)
    std::vector<uint16_t*> used_;
    int next_ = kFirstFree;
};

uint8_t byteAt(const std::string& s, size_t oneBasedPos) {
    return static_cast<uint8_t>(s[oneBasedPos - 1]);
}

}  // namespace

std::string clsLZWCompress::Compress(const std::string& IPStr) const {
    std::string out;
    out.reserve(IPStr.size() / 2 + 16);
    CodePacker packer(out);
    CompressDictionary dict;
    bool haveW = false;
    int wCode = 0;
    for (char ch : IPStr) {
        auto c = static_cast<unsigned char>(ch);
        if (!haveW) {   // a single byte is always known
            haveW = true;
            wCode = c;
            continue;
        }
        int found = dict.lookup(wCode, c);
        if (found >= 0) {
            wCode = found;
        } else {
            packer.put(wCode);
            wCode = c;
        }
    }
    packer.put(wCode);   // the empty input writes code 0
    packer.finish();
    return out;
}

std::string clsLZWCompress::DeCompress(const std::string& IPStr, size_t maxOutput) const {
    // Entry e is the string of entry prefix[e] followed by byte last[e].
    std::vector<uint16_t> prefix(kCodeLimit, 0);
    std::vector<uint8_t> first(kCodeLimit, 0), last(kCodeLimit, 0);
    std::vector<uint32_t> length(kCodeLimit, 1);
    for (int i = 0; i < kFirstFree; ++i) {
        first[i] = last[i] = static_cast<uint8_t>(i);
    }
    int next = kFirstFree;

    std::string out;
    out.reserve(std::min(IPStr.size() * 3, maxOutput));
    // Writes the entry's bytes back to front; the walk is bounded by the entry's
    // length so that a damaged stream cannot run outside the output.
    auto append = [&](int code) {
        size_t start = out.size();
        size_t pos = start + length[code];
        if (pos > maxOutput) throw RuntimeError(err::kInvalidCall, "Compressed data decodes beyond its bound");
        out.resize(pos);
        while (pos > start) {
            out[--pos] = static_cast<char>(last[code]);
            if (pos == start) break;
            if (code < kFirstFree) throw RuntimeError(err::kInvalidCall, "Corrupt compressed data");
            code = prefix[code];
        }
    };

    const size_t len = IPStr.size();
    size_t pos = 1;
    bool firstOfPair = true;
    bool firstOfStream = true;
    int prev = 0;
    while (pos < len) {
        int code;
        if (firstOfPair) {
            code = byteAt(IPStr, pos) * 16 + byteAt(IPStr, pos + 1) / 16;
            pos += 1;
        } else {
            code = byteAt(IPStr, pos + 1) * 16 + byteAt(IPStr, pos) % 16;
            pos += 2;
        }
        firstOfPair = !firstOfPair;

        if (firstOfStream) {
            if (code >= kFirstFree)
                throw RuntimeError(err::kInvalidCall, "Corrupt compressed data");
            firstOfStream = false;
        } else {
            // The entry the compressor learned when it wrote the previous code.
            uint8_t tail;
            if (code == next || (code == kFirstFree && next == kCodeLimit)) {
                tail = first[prev];
            } else if (code < next) {
                tail = first[code];
            } else {
                throw RuntimeError(err::kInvalidCall, "Corrupt compressed data");
            }
            if (next > kCodeLimit - 1) next = kFirstFree;
            if (code >= next && code != next)   // undefined after the reset
                throw RuntimeError(err::kInvalidCall, "Corrupt compressed data");
            prefix[next] = static_cast<uint16_t>(prev);
            first[next] = first[prev];
            last[next] = tail;
            length[next] = length[prev] + 1;
            ++next;
        }
        append(code);
        prev = code;
    }
    return out;
}

}  // namespace zevo
