#pragma once
// Read-only access to the members of a zip package with hard size limits: a member is
// refused when its recorded size is above the limit, and reading stops at the limit
// even when the recorded size lies.
#include <cstddef>
#include <string>

struct zip;

namespace zevo::grid::xlsx {

class ZipArchive {
public:
    // Throws RuntimeError: kErrFileNotFound, or kErrInvalidFormat for a damaged zip.
    explicit ZipArchive(const std::string& path);
    ~ZipArchive();
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    bool contains(const std::string& name) const;
    // The uncompressed bytes of `name`; throws kErrInvalidFormat when it is missing,
    // damaged or bigger than `limit`.
    std::string read(const std::string& name, std::size_t limit) const;

private:
    long long find(const std::string& name) const;
    zip* zip_ = nullptr;
};

}  // namespace zevo::grid::xlsx
