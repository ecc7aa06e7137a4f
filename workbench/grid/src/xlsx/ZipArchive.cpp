#include "ZipArchive.h"

#include <zip.h>

#include <filesystem>
#include <memory>

#include "zevo/RuntimeError.h"
#include "zevo/grid/XlsxReader.h"

namespace zevo::grid::xlsx {

namespace {

[[noreturn]] void fail(const std::string& why) { throw RuntimeError(kErrInvalidFormat, why); }

struct FileCloser {
    void operator()(zip_file_t* f) const { zip_fclose(f); }
};

}  // namespace

ZipArchive::ZipArchive(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        throw RuntimeError(kErrFileNotFound, "File not found: " + path);
    int code = 0;
    // ZIP_CHECKCONS catches truncated archives whose directory disagrees with the data.
    zip_ = zip_open(path.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &code);
    if (!zip_) {
        zip_error_t error;
        zip_error_init_with_code(&error, code);
        std::string reason = zip_error_strerror(&error);
        zip_error_fini(&error);
        fail("Not a workbook (" + reason + "): " + path);
    }
}

ZipArchive::~ZipArchive() {
    if (zip_) zip_discard(zip_);
}

long long ZipArchive::find(const std::string& name) const {
    zip_int64_t index = zip_name_locate(zip_, name.c_str(), 0);
    if (index < 0) index = zip_name_locate(zip_, name.c_str(), ZIP_FL_NOCASE);
    return index;
}

bool ZipArchive::contains(const std::string& name) const { return find(name) >= 0; }

std::string ZipArchive::read(const std::string& name, std::size_t limit) const {
    const zip_int64_t index = find(name);
    if (index < 0) fail("Missing part " + name);
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(zip_, static_cast<zip_uint64_t>(index), 0, &st) != 0)
        fail("Unreadable part " + name + ": " + zip_strerror(zip_));
    if ((st.valid & ZIP_STAT_SIZE) && st.size > limit)
        fail("Part " + name + " is too large (" + std::to_string(st.size) + " bytes)");

    std::unique_ptr<zip_file_t, FileCloser> file(zip_fopen_index(zip_, static_cast<zip_uint64_t>(index), 0));
    if (!file) fail("Unreadable part " + name + ": " + zip_strerror(zip_));
    std::string bytes;
    if (st.valid & ZIP_STAT_SIZE) bytes.reserve(static_cast<std::size_t>(st.size));
    char buffer[65536];
    for (;;) {
        const zip_int64_t got = zip_fread(file.get(), buffer, sizeof buffer);
        if (got < 0) fail("Damaged part " + name + ": " + zip_file_strerror(file.get()));
        if (got == 0) break;
        if (bytes.size() + static_cast<std::size_t>(got) > limit)
            fail("Part " + name + " is too large");
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
    return bytes;
}

}  // namespace zevo::grid::xlsx
