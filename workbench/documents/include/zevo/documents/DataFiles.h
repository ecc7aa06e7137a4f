#pragma once
// Where the sheet documents live: the data folder, the sheet data files named
// after the reporting period, and the blank sheet documents of the templates.
#include <ctime>
#include <string>

#include "zevo/Xml.h"

namespace zevo::documents {

// "..\DataFiles\ZEVO\" made absolute, ending with "/"; the user's own
// "$XDG_DATA_HOME/zevo/DataFiles/ZEVO/" when the tree is installed or not
// writable (see zevo/UserFolders.h).
std::string dataFolderPath();
// The data folder, created with its parents (0700) when missing. RuntimeError
// 70/76/75 when it cannot be made.
std::string ensureDataFolder();

// The period part of a sheet data file name for the menu entry and the session's
// period values ("", "_032009", "_022009", "_2009_01012009_31032009", "_2009").
std::string periodSuffix(const xml::Node& menuEntry);

// clsVariables::DataFolder + "DataFile" + period suffix + ".xml" for a sheet entry.
std::string sheetDataFilePath(const xml::Node& menuEntry, const xml::Node& sheetEntry);
std::string sheetDataFilePath(const xml::Node& menuEntry, const std::string& dataFile);

// GetAbsolutePath("TemplateFolder") + "DataFile" + ".xml" of a sheet entry.
std::string blankSheetDocumentPath(const xml::Node& sheetEntry);

// "Active" numerically 1 or more: the sheet is saved.
bool isActiveForSave(const xml::Node& sheetEntry);
// "Active" exactly "0": the sheet is hidden and not printed.
bool isInactive(const xml::Node& sheetEntry);

// Name of an exchange-file backup in the data folder's "Backup" folder: kind
// ("import", "export", "new") + "_zevo_" + seconds "-" minutes "-" hours "_" day
// month year + ".txt", each part two digits but the year, e.g.
// "new_zevo_09-05-14_03032010.txt" for 14:05:09 on 3 March 2010.
std::string backupFileName(const std::string& kind, const std::tm& local);
// DataFolder + "Backup/" + backupFileName(kind, the local time now).
std::string backupFilePath(const std::string& kind);

// RuntimeError 424 when a sheet entry of the validity node that is active for
// saving has no document in Data (none, or an empty one): such a save would
// report success for a sheet it did not write.
void checkActiveSheetDocuments(const xml::Node& validity);

// Writes Data(i) of every sheet entry i of the validity node that is active for
// saving to its sheet data file (atomically; a read-only file is replaced). Checks
// every document first (checkActiveSheetDocuments), so a missing one writes
// nothing. Throws RuntimeError on the first failure.
// Given `staged`, the files are added to that set instead, to be committed with
// the other files of the save; otherwise they are committed together here.
void saveActiveSheetDocuments(const xml::Node& menuEntry, const xml::Node& validity,
                              xml::StagedFiles* staged = nullptr);

}  // namespace zevo::documents
