#pragma once
// Loading the declaration's sheet documents into the input grid.
#include <string>

#include "zevo/engine/DeclarationSession.h"
#include "zevo/grid/Spread.h"

namespace zevo::engine {

// For every sheet entry of clsVariables::NodeValidity: loads the sheet data file
// (or, for a new declaration, the blank sheet document) into Data(i), inserts the
// rows of added row groups, writes every stored value into its cell and checks it
// against the cell's kind and limits. A value the cell cannot hold is corrected in
// the document, the cell gets a note and the load-time error colour, and its old
// colour goes into session.colourRestore (made anew by every run).
//
// A data file that exists but cannot be read, or breaks its DTD, is copied aside
// into the data folder's "Backup" folder and reported once (its parser reason,
// through the message service; when no copy could be kept the message says that
// the file will not be replaced without asking), and the sheet is loaded from its
// blank document so that the declaration stays usable; the file itself is never
// changed here. session.damagedFiles lists such files.
//
// Errors are logged ("SetupData") and stop the run.
void SetupData(DeclarationSession& session, grid::Spread& grid);

// Copies a data file into "Backup" beside it under a new name; the copy's path, or
// "" with `error` set when the folder cannot be made or the copy fails.
std::string keepDamagedCopy(const std::string& path, std::string& error);

}  // namespace zevo::engine
