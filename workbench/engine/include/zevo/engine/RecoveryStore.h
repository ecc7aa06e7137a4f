#pragma once
// The recovery copy of a declaration's unsaved changes: the sheet documents as a
// save would write them, kept in a hidden folder beside the data files
// (".zevo-recovery"), never over them. The set is replaced as one (the staged
// files of the save), with a manifest that names the declaration, when it was
// written, and the size and checksum of every sheet document, so a copy that was
// cut short or changed is told apart from a sound one.
#include <ctime>
#include <string>
#include <vector>

namespace zevo::engine {

inline constexpr const char* kRecoveryFolderName = ".zevo-recovery";

// What a look at the recovery folder found.
struct RecoveryCopy {
    enum class State {
        None,      // no recovery copy
        Ready,     // complete and readable: one file per sheet, in sheet order
        Damaged,   // present but not usable; `reason` says why
    };
    State state = State::None;
    std::time_t written = 0;           // when it was written (0 when unknown)
    std::vector<std::string> sheets;   // file of each sheet document (Ready only)
    std::string reason;
};

class RecoveryStore {
public:
    // `dataFolder`: the declaration's data folder (with or without a trailing "/").
    explicit RecoveryStore(std::string dataFolder);

    // The recovery folder inside the data folder, without a trailing "/".
    const std::string& folder() const { return folder_; }

    // Replaces the recovery copy with these sheet documents (serialised, in sheet
    // order) of declaration `menuId`. Throws RuntimeError when it cannot be written;
    // the copy before stays as it was then.
    void write(const std::string& menuId, const std::vector<std::string>& sheetDocuments,
               std::time_t written) const;

    // Finishes a write that was interrupted, then checks the copy against its
    // manifest: declaration `menuId` with `sheetCount` sheets, every sheet document
    // of the recorded size and checksum, and loading as a sheet document (valid
    // against its DTD, CellID an ID). Never throws.
    RecoveryCopy probe(const std::string& menuId, int sheetCount) const;

    // Removes the recovery copy. Never throws; false when something is left.
    bool discard() const noexcept;
    // Moves the recovery folder into `backupFolder` under a timestamped name and
    // returns the new path. Throws RuntimeError when it cannot.
    std::string moveAside(const std::string& backupFolder) const;

    bool exists() const;

private:
    std::string folder_;
};

// FNV-1a (64 bits) of the bytes as 16 hex digits: the manifest's checksum and the
// autosave's "changed since the last copy" test.
std::string contentChecksum(const std::string& bytes);

}  // namespace zevo::engine
