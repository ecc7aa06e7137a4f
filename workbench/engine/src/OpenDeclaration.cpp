#include "zevo/engine/OpenDeclaration.h"

#include "zevo/clsVariables.h"
#include "zevo/documents/Attributes.h"
#include "zevo/engine/IniFiles.h"
#include "zevo/engine/SetupData.h"
#include "zevo/engine/TemplateLoading.h"
#include "EngineText.h"

namespace zevo::engine {

void OpenDeclaration(DeclarationSession& session, grid::Spread& grid, GridEventHandler& handler,
                     std::unique_ptr<rules::RuleObject>& rule, const RuleFactory& createRule,
                     const StepDone& stepDone) {
    auto done = [&](const char* step) {
        if (stepDone) stepDone(step);
    };
    clsVariables vars;
    session.startUp = true;
    grid.setEventsEnabled(false);
    LoadTemplate(grid, true);
    done("LoadTemplate");
    SetupSpread(session, grid);
    FormatGrid(session, grid);
    done("SetupSpread and FormatGrid");

    const std::string className = text::trimSpaces(documents::GetAttributeValue(vars.NodeValidity(), "Class"));
    if (!className.empty()) rule = createRule(className);
    handler.setRuleObject(rule.get());
    if (rule) {
        rule->fps(&grid);
        rule->Prepare1();
    }
    done("rule object and Prepare1");

    LoadInitFiles(session, grid, true);
    done("LoadInitFiles");
    vars.AdjustDataReDim(grid.sheetCount() - 2);

    if (rule) rule->fps(nullptr);
    grid.setEventsEnabled(true);
    grid.setLoadEventsEnabled(true);
    session.loading = true;
    SetupData(session, grid);
    done("SetupData");
    session.loading = false;
    grid.setLoadEventsEnabled(false);
    grid.setEventsEnabled(false);
    if (rule) {
        rule->fps(&grid);
        rule->Prepare2();
    }
    done("Prepare2");

    HideInactiveSheets(grid);
    grid.setActiveSheet(1);
    grid.setSheet(1);
    session.currentSheet = 1;
    grid.setEventsEnabled(true);
}

}  // namespace zevo::engine
