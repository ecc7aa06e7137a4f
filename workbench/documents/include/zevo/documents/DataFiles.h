#pragma once
// Where the sheet documents live: the data folder, the sheet data files named
// after the reporting period, and the blank sheet documents of the templates.
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

// Writes Data(i) of every sheet entry i of the validity node that is active for
// saving to its sheet data file (atomically; a read-only file is replaced).
// Entries without a document are skipped. Throws RuntimeError on the first failure.
void saveActiveSheetDocuments(const xml::Node& menuEntry, const xml::Node& validity);

}  // namespace zevo::documents
