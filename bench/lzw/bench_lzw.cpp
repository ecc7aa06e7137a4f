// Throughput of the session file coder on 1 MiB of session-like text.
#include <chrono>
#include <cstdio>
#include <random>
#include <string>

#include "zevo/clsLZWCompress.h"

namespace {

std::string sessionText(size_t size) {
    std::mt19937 rng(42);
    const char* ids[] = {"100_7", "100_1", "100_8"};
    std::string s;
    while (s.size() < size) {
        if (!s.empty()) s += ':';
        s += ids[rng() % 3];
        s += "::" + std::to_string(rng() % 1000) + ':' + std::to_string(rng() % 1000);
    }
    s.resize(size);
    return s;
}

template <typename F>
double bestSeconds(int runs, F&& f) {
    double best = 1e9;
    for (int i = 0; i < runs; ++i) {
        auto t0 = std::chrono::steady_clock::now();
        f();
        auto t1 = std::chrono::steady_clock::now();
        best = std::min(best, std::chrono::duration<double>(t1 - t0).count());
    }
    return best;
}

}  // namespace

int main() {
    const size_t size = 1 << 20;
    const std::string text = sessionText(size);
    zevo::clsLZWCompress lzw;
    std::string packed, unpacked;
    double tc = bestSeconds(5, [&] { packed = lzw.Compress(text); });
    double td = bestSeconds(5, [&] { unpacked = lzw.DeCompress(packed); });
    const double mb = static_cast<double>(size) / 1e6;
    std::printf("input %zu bytes, compressed %zu bytes (%.1f%%)\n", size, packed.size(),
                100.0 * static_cast<double>(packed.size()) / static_cast<double>(size));
    std::printf("compress   %8.1f MB/s (%.2f ms)\n", mb / tc, tc * 1e3);
    std::printf("decompress %8.1f MB/s (%.2f ms)\n", mb / td, td * 1e3);
    std::printf("round trip %s\n", unpacked == text ? "ok" : "MISMATCH");
    return unpacked == text ? 0 : 1;
}
