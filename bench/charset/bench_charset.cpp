// Cost of a conversion call. The tables are read from disk on every call, so a
// report that converts cell by cell pays the table reading once per cell: this
// prints the per-call time for a short cell text and the throughput on a long one.
#include <chrono>
#include <cstdio>
#include <string>

#include "zevo/clsUnicodeConvert.h"

namespace {

template <typename F>
double secondsFor(int rounds, F&& f) {
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < rounds; ++i) f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main() {
    zevo::clsUnicodeConvert convert(ZEVO_CHARSET_TABLE_DIR);
    const std::string cell = "Nguyễn Thị Hương - Phường Tràng Tiền, Quận Hoàn Kiếm";
    std::string page;
    while (page.size() < 1'000'000) page += cell + "\r\n";

    struct Case {
        const char* name;
        int to;
    };
    const Case cases[] = {{"TCVN", zevo::TCVN}, {"VISCII", zevo::VISCII}, {"VNI", zevo::VNI},
                          {"VIQR", zevo::VIQR}};
    std::printf("%-7s %14s %14s %14s\n", "set", "cell to (us)", "cell back (us)", "1 MB to (MB/s)");
    for (const Case& c : cases) {
        const int rounds = 2000;
        std::string legacy = convert.Convert(cell, zevo::UNICODE, c.to);
        double to = secondsFor(rounds, [&] { convert.Convert(cell, zevo::UNICODE, c.to); });
        double back = secondsFor(rounds, [&] { convert.Convert(legacy, c.to, zevo::UNICODE); });
        double bulk = secondsFor(3, [&] { convert.Convert(page, zevo::UNICODE, c.to); });
        std::printf("%-7s %14.1f %14.1f %14.1f\n", c.name, to / rounds * 1e6, back / rounds * 1e6,
                    3 * page.size() / 1e6 / bulk);
    }
    return 0;
}
