#include "zevo/commandline/ExchangeLink.h"

namespace zevo::commandline {

exchange::DeclarationHost hostFor(engine::MainController& controller, bool reload) {
    exchange::DeclarationHost host;
    host.IsAdjustData = [&controller] { return controller.IsAdjustData(); };
    host.UpdateData = [&controller](bool saveSession) { return controller.UpdateData(saveSession); };
    if (reload) host.Reload = [&controller] { controller.Reload(); };
    return host;
}

void connectBackupWriter(engine::MainController& controller) {
    controller.backupWriter = [&controller](const std::string& path) {
        return exchange::BackupRestoreController::exportWithoutDialog(controller.grid(), path);
    };
}

}  // namespace zevo::commandline
