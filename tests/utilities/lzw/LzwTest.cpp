// The session file's LZW coder: exact byte layout, dictionary reset, round trips
// and damaged input.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>

#include "zevo/RuntimeError.h"
#include "zevo/clsLZWCompress.h"

using zevo::clsLZWCompress;

namespace {

std::string bytes(std::initializer_list<int> values) {
    std::string s;
    for (int v : values) s.push_back(static_cast<char>(v));
    return s;
}

// Codes of a packed stream, read back with the three-bytes-per-pair layout.
std::vector<int> unpack(const std::string& s) {
    std::vector<int> codes;
    auto b = [&](size_t i) { return static_cast<unsigned char>(s[i]); };
    size_t i = 0;
    while (i + 1 < s.size()) {
        codes.push_back(b(i) * 16 + b(i + 1) / 16);
        if (i + 2 < s.size()) codes.push_back(b(i + 2) * 16 + b(i + 1) % 16);
        i += 3;
    }
    return codes;
}

// Straightforward coder over a map of whole strings, as the layout describes it;
// the library's coder keys its dictionary differently and must agree.
std::vector<int> referenceCodes(const std::string& in) {
    std::map<std::string, int> dict;
    int next = 256;
    std::vector<int> codes;
    std::string w;
    int wCode = 0;
    for (char c : in) {
        if (next > 4095) {
            next = 256;
            dict.clear();
        }
        std::string wc = w + c;
        int found = -1;
        if (wc.size() == 1) {
            found = static_cast<unsigned char>(c);
        } else if (auto it = dict.find(wc); it != dict.end()) {
            found = it->second;
        } else {
            dict.emplace(wc, next++);
        }
        if (found >= 0) {
            w = wc;
            wCode = found;
        } else {
            codes.push_back(wCode);
            w = std::string(1, c);
            wCode = static_cast<unsigned char>(c);
        }
    }
    codes.push_back(wCode);
    return codes;
}

std::string sessionLikeText(size_t size, unsigned seed) {
    std::mt19937 rng(seed);
    std::string s;
    const char* ids[] = {"100_7", "100_1", "100_8", "101_2"};
    while (s.size() < size) {
        if (!s.empty()) s += ':';
        s += ids[rng() % 4];
        s += ':';
        if (rng() % 2) s += std::to_string(rng() % 12 + 1) + "/" + std::to_string(2000 + rng() % 30);
        s += ':' + std::to_string(rng() % 1000) + ':' + std::to_string(rng() % 1000);
    }
    s.resize(size);
    return s;
}

std::string randomBytes(size_t size, unsigned seed) {
    std::mt19937 rng(seed);
    std::string s(size, '\0');
    for (char& c : s) c = static_cast<char>(rng() & 0xFF);
    return s;
}

}  // namespace

TEST(Lzw, GoldenStreams) {
    clsLZWCompress lzw;
    EXPECT_EQ(lzw.Compress(""), bytes({0x00, 0x00}));
    EXPECT_EQ(lzw.Compress("A"), bytes({0x04, 0x10}));
    EXPECT_EQ(lzw.Compress("\xFF"), bytes({0x0F, 0xF0}));
    // Codes 65, 66: one pair.
    EXPECT_EQ(lzw.Compress("AB"), bytes({0x04, 0x12, 0x04}));
    // Codes 65, 66, 67: a pair and a two-byte tail.
    EXPECT_EQ(lzw.Compress("ABC"), bytes({0x04, 0x12, 0x04, 0x04, 0x30}));
    // Codes 65, 256, 65: "AA" is learned and used at once.
    EXPECT_EQ(lzw.Compress("AAAA"), bytes({0x04, 0x10, 0x10, 0x04, 0x10}));
    // Codes 65, 66, 256, 258.
    EXPECT_EQ(lzw.Compress("ABABABA"), bytes({0x04, 0x12, 0x04, 0x10, 0x02, 0x10}));
}

TEST(Lzw, GoldenStreamsDecode) {
    clsLZWCompress lzw;
    // The empty text does not come back empty: its stream holds code 0.
    EXPECT_EQ(lzw.DeCompress(bytes({0x00, 0x00})), std::string(1, '\0'));
    EXPECT_EQ(lzw.DeCompress(bytes({0x04, 0x10})), "A");
    EXPECT_EQ(lzw.DeCompress(bytes({0x04, 0x12, 0x04, 0x04, 0x30})), "ABC");
    EXPECT_EQ(lzw.DeCompress(bytes({0x04, 0x10, 0x10, 0x04, 0x10})), "AAAA");
    EXPECT_EQ(lzw.DeCompress(bytes({0x04, 0x12, 0x04, 0x10, 0x02, 0x10})), "ABABABA");
    EXPECT_EQ(lzw.DeCompress(""), "");
    // The session text of one declaration with two counters.
    const std::string session = "100_7::3:5:100_1::0:0";
    EXPECT_EQ(lzw.DeCompress(lzw.Compress(session)), session);
}

TEST(Lzw, AgreesWithAWholeStringDictionaryAcrossResets) {
    clsLZWCompress lzw;
    const std::string inputs[] = {
        sessionLikeText(300000, 1),
        randomBytes(60000, 2),
        std::string(200000, 'x'),
        sessionLikeText(5000, 3) + randomBytes(20000, 4) + std::string(50000, '\0'),
    };
    for (const std::string& in : inputs) {
        std::string packed = lzw.Compress(in);
        std::vector<int> codes = unpack(packed);
        ASSERT_EQ(codes, referenceCodes(in)) << "input size " << in.size();
        EXPECT_EQ(packed.size(), codes.size() / 2 * 3 + (codes.size() % 2) * 2);
        EXPECT_EQ(lzw.DeCompress(packed), in);
    }
}

TEST(Lzw, DictionaryResetRestartsAt256) {
    clsLZWCompress lzw;
    const std::string in = randomBytes(30000, 7);
    std::vector<int> codes = unpack(lzw.Compress(in));
    // Random bytes learn one code per step: codes climb past 3800, then the
    // dictionary starts over, so the next few hundred codes are all small again.
    size_t high = 0;
    while (high < codes.size() && codes[high] < 3800) ++high;
    ASSERT_LT(high, codes.size());
    bool restarted = false;
    for (size_t i = high; i + 200 < codes.size() && !restarted; ++i) {
        restarted = std::all_of(codes.begin() + i, codes.begin() + i + 200,
                                [](int c) { return c < 256 + 200; });
    }
    EXPECT_TRUE(restarted);
    for (int c : codes) ASSERT_LT(c, 4096);
    EXPECT_EQ(lzw.DeCompress(lzw.Compress(in)), in);
}

TEST(Lzw, RepeatedCharacterRoundTrips) {
    clsLZWCompress lzw;
    for (size_t n : {2u, 3u, 5u, 6u, 7u, 100u, 4097u, 100000u}) {
        std::string in(n, 'a');
        EXPECT_EQ(lzw.DeCompress(lzw.Compress(in)), in) << n;
    }
}

TEST(Lzw, DamagedStreamsFailCleanly) {
    clsLZWCompress lzw;
    auto errorOf = [&](const std::string& s) {
        try {
            lzw.DeCompress(s);
        } catch (const zevo::RuntimeError& e) {
            return e.number();
        }
        return 0;
    };
    // First code not a single byte.
    EXPECT_NE(errorOf(bytes({0x10, 0x00})), 0);
    // Second code 0x300 while the next free code is 256.
    EXPECT_NE(errorOf(bytes({0x04, 0x10, 0x30})), 0);
    // Truncated or odd streams never read past the end.
    EXPECT_EQ(lzw.DeCompress(bytes({0x04})), "");
    EXPECT_EQ(lzw.DeCompress(bytes({0x04, 0x12, 0x04, 0x04})), "AB");
    // Random garbage: either an error or some output, never a crash.
    std::mt19937 rng(11);
    for (int i = 0; i < 2000; ++i) {
        std::string junk = randomBytes(rng() % 64 + 1, rng());
        try {
            lzw.DeCompress(junk);
        } catch (const zevo::RuntimeError& e) {
            EXPECT_EQ(e.number(), zevo::err::kInvalidCall);
        }
    }
}
