#pragma once
// The error log "LogFile.txt": three-line entries appended beside the deliverable
// that logs (the program beside the program, the rules library beside itself),
// or in the user's state folder when the tree is installed (see UserFolders.h).
#include <exception>
#include <string>

#include "zevo/RuntimeError.h"
#include "zevo/UserFolders.h"

namespace zevo {

// Appends one entry to folder + "/LogFile.txt" (created 0600). Never throws: a log that cannot be
// written is dropped silently so that the procedure that was logging carries on.
void writeErrorLogIn(const std::string& folder, const std::string& module,
                     const std::string& procedure, long number,
                     const std::string& description) noexcept;

// Folder of the shared object or program that contains `address`; "" when unknown.
std::string moduleFolderOf(const void* address) noexcept;

// Tests point every log at one folder; an empty text restores the default.
void setErrorLogFolderOverride(const std::string& folder);
std::string errorLogFolderOverride();

namespace detail {
// One instance per deliverable (internal linkage), so its address tells which
// deliverable is logging.
namespace {
const char kLogAnchor = 0;
}
}  // namespace detail

// The log writer every procedure calls from its error trap.
inline void WriteErrorLog(const std::string& module, const std::string& procedure, long number,
                          const std::string& description) noexcept {
    std::string folder = errorLogFolderOverride();
    if (folder.empty()) folder = errorLogFolder(moduleFolderOf(&detail::kLogAnchor));
    writeErrorLogIn(folder, module, procedure, number, description);
}

inline void WriteErrorLog(const std::string& module, const std::string& procedure,
                          const std::exception& e) noexcept {
    WriteErrorLog(module, procedure, errorNumber(e), e.what());
}

}  // namespace zevo
