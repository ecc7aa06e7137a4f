#pragma once
// The exchange code on the main window's controller: what the import asks of the
// window, and the backup written before a new declaration.
#include "zevo/engine/MainController.h"
#include "zevo/exchange/BackupRestoreController.h"

namespace zevo::commandline {

// IsAdjustData, UpdateData and Reload of the controller; without `reload` the
// declaration is not reloaded after an import (a headless run ends instead).
exchange::DeclarationHost hostFor(engine::MainController& controller, bool reload = true);

// Sets the controller's backupWriter to the export dialog's exportData.
void connectBackupWriter(engine::MainController& controller);

}  // namespace zevo::commandline
