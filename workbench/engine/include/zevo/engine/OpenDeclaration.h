#pragma once
// Opening the declaration of clsVariables::NodeValidity into the input grid: the
// one start-up order that the main window, the tests and the benchmarks share.
#include <functional>
#include <memory>
#include <string>

#include "zevo/engine/DeclarationSession.h"
#include "zevo/engine/GridEventHandler.h"
#include "zevo/grid/Spread.h"
#include "zevo/rules/RuleObject.h"

namespace zevo::engine {

// Makes the rule object of a "Class" name; null when there is none.
using RuleFactory = std::function<std::unique_ptr<rules::RuleObject>(const std::string& className)>;
// Told the name of each step as it ends (start-up timings).
using StepDone = std::function<void(const char* step)>;

// With events off and session.startUp set: loads the input template, sets up and
// formats its sheets, makes the rule object of the validity node's "Class" (none
// for an empty class) into `rule` as soon as it exists, hands it to the grid and
// `handler` and runs Prepare1, puts the interface ini limits on the cells and sizes
// the session's data. The sheet documents then go in with the rules detached and
// the load events on, so that only `handler` stores what the template computes;
// the rules are attached again for Prepare2. Last the inactive sheets are hidden
// and sheet 1 is shown and current. Events are on afterwards; session.startUp stays
// set for the caller to clear. What the factory or the rules throw goes through.
void OpenDeclaration(DeclarationSession& session, grid::Spread& grid, GridEventHandler& handler,
                     std::unique_ptr<rules::RuleObject>& rule, const RuleFactory& createRule,
                     const StepDone& stepDone = {});

}  // namespace zevo::engine
