#pragma once
// Errors carry the numbers the error log and callers compare (9 subscript out of
// range, 13 type mismatch, 5 invalid call, 53 file not found, 70 permission denied ...).
#include <stdexcept>
#include <string>

namespace zevo {

class RuntimeError : public std::runtime_error {
public:
    // `osError`: the errno behind a file-system failure (0 when there is none), for
    // callers that tell the user which of several file problems stopped them.
    RuntimeError(int number, const std::string& description, int osError = 0)
        : std::runtime_error(description), number_(number), osError_(osError) {}
    int number() const noexcept { return number_; }
    int osError() const noexcept { return osError_; }

private:
    int number_;
    int osError_;
};

namespace err {
inline constexpr int kInvalidCall = 5;
inline constexpr int kOverflow = 6;
inline constexpr int kSubscriptOutOfRange = 9;
inline constexpr int kTypeMismatch = 13;
inline constexpr int kFileNotFound = 53;
inline constexpr int kPermissionDenied = 70;
inline constexpr int kPathNotFound = 76;
inline constexpr int kObjectRequired = 424;
inline constexpr int kUnexpected = 440;  // anything that is not a RuntimeError
}  // namespace err

// Number and text of any exception, for the error log.
inline int errorNumber(const std::exception& e) {
    if (auto* r = dynamic_cast<const RuntimeError*>(&e)) return r->number();
    return err::kUnexpected;
}

}  // namespace zevo
