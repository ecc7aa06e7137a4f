#pragma once
// Per-cell limits and help ids from the interface and report ini files.
#include <vector>

#include "zevo/Xml.h"
#include "zevo/engine/DeclarationSession.h"
#include "zevo/grid/Spread.h"

namespace zevo::engine {

// For sheet entries 0 .. sheet count - 2 of clsVariables::NodeValidity: loads the
// "InterfaceIni" (input grid) or "ReportIni" (report grid) file when it exists
// and puts its limits on the cells of sheet i + 1: "MaxLen", number bounds,
// digits only (input grid), help id in front of the tag, and for the report grid
// the sheet's paper orientation. Every sheet gets a document (empty when its file
// is missing); they are kept in session.interfaceIni or session.reportIni.
// Errors are logged and end the run.
void LoadInitFiles(DeclarationSession& session, grid::Spread& grid, bool interface);

}  // namespace zevo::engine
