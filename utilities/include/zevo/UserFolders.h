#pragma once
// Where a user's own files go, and how they are kept private.
//
// The installation tree keeps its layout (Bin/, Templates/, DataFiles/ZEVO/ ...).
// Run from a tree the user may write (the build's dist/), the data folder and the
// logs stay in that tree as they always did. Run from an installed tree (one
// holding the marker file "Bin/INSTALLED", which the install rules write for every
// prefix but the staging tree) or from any tree the user cannot write, each user
// gets folders of their own:
//   data folder   $XDG_DATA_HOME/zevo/DataFiles/ZEVO/  (~/.local/share/...)
//   error logs    $XDG_STATE_HOME/zevo/                 (~/.local/state/...)
// The read-only parts (templates, catalogues, messages, pictures) are always read
// from the tree.
//
// Data files, "Session.dat", backups and exports hold identity numbers and birth
// dates: files are created 0600 and folders 0700.
#include <string>
#include <sys/types.h>

namespace zevo {

inline constexpr const char* kInstalledMarker = "INSTALLED";

// True when the tree of the program folder (see programFolder) is installed or
// not writable, so that the per-user folders are used.
bool usesPerUserFolders();

// "$XDG_DATA_HOME/zevo" and "$XDG_STATE_HOME/zevo" (with the XDG defaults under
// the home folder), without a trailing "/".
std::string userDataFolder();
std::string userStateFolder();

// Folder of the error logs of a deliverable living in `moduleFolder`: that folder
// for a writable tree, the per-user state folder (created, 0700) otherwise.
std::string errorLogFolder(const std::string& moduleFolder) noexcept;

// Creates the folder and its missing parents; every folder it creates is 0700.
// Folders that exist keep their mode. Throws std::filesystem::filesystem_error.
void createPrivateFolders(const std::string& path);

// Mode for a file written at `path`: 0600 for a new file, whatever the umask; a
// file the user already has keeps its mode (0600 when we made it, or whatever
// the user chose since).
mode_t privateFileMode(const std::string& path);

}  // namespace zevo
