#pragma once
// Zipped copies of the data folder's data files, kept in its "Backup" folder by
// each exit that saved something; the newest ones are kept, the oldest go.
#include <ctime>
#include <string>
#include <vector>

namespace zevo::engine {

inline constexpr int kKeptDataBackups = 10;

// The files a backup holds: the regular files at the data folder's top that are
// data files ("*.xml") or "Session.dat"; hidden files (temporaries, the recovery
// copy) and sub-folders are left out. Sorted by name.
std::vector<std::string> dataFilesToBack(const std::string& dataFolder);

// Writes "Backup/data_zevo_YYYYMMDD-HHMMSS.zip" (local time `now`; "_2", "_3" ...
// when that name is taken) holding dataFilesToBack byte for byte, written whole
// or not at all; then removes the oldest of these backups beyond `keep`. Returns
// the zip's path, "" when there was no data file to keep. Throws RuntimeError.
std::string backupDataFolder(const std::string& dataFolder, std::time_t now,
                             int keep = kKeptDataBackups);

// The data-folder backups in `backupFolder`, oldest first (full paths).
std::vector<std::string> dataBackups(const std::string& backupFolder);

}  // namespace zevo::engine
