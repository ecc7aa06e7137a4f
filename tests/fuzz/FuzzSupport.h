#pragma once
// Shared bits of the fuzz harnesses: a byte reader over the input and a private
// scratch folder for harnesses whose code under test reads files.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

namespace zevo::fuzz {

class Bytes {
public:
    Bytes(const uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool empty() const { return at_ >= size_; }
    uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }
    std::size_t below(std::size_t n) { return n ? byte() % n : 0; }
    std::string rest() {
        std::string s(reinterpret_cast<const char*>(data_ + at_), size_ - at_);
        at_ = size_;
        return s;
    }

private:
    const uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

// A file of this process that harnesses overwrite with each input.
inline const std::string& scratchFile(const char* name) {
    static const std::string folder = [] {
        std::string tmpl = "/tmp/zevo-fuzz-XXXXXX";
        const char* made = mkdtemp(tmpl.data());
        if (!made) std::abort();
        return std::string(made);
    }();
    static thread_local std::string path;
    path = folder + "/" + name;
    return path;
}

inline void writeFile(const std::string& path, const uint8_t* data, std::size_t size) {
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data),
                                                                   static_cast<std::streamsize>(size));
}

}  // namespace zevo::fuzz
