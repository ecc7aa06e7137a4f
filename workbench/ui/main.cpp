#include <QApplication>

#include "CommandLine.h"
#include "InstanceBeacon.h"
#include "frmReports.h"
#include "mainForm.h"
#include "zevo/engine/MainController.h"

int main(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    const zevo::ui::CommandLine commandLine = zevo::ui::parseCommandLine(arguments);
    if (commandLine.headless()) {
        // No window: no display is needed.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        QApplication app(argc, argv);
        return zevo::ui::runCommand(commandLine);
    }

    QApplication app(argc, argv);
    QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 9));
    zevo::engine::MainController controller;
    zevo::ui::mainForm window(controller);
    controller.printDialog = [&] {
        zevo::printing::frmReports dialog(controller.grid(), &window);
        dialog.exec();
    };
    const zevo::engine::StartResult result = controller.Form_Load();
    const QString lockPath = QString::fromStdString(controller.instanceLockPath());
    if (result == zevo::engine::StartResult::OtherInstance) {
        // The running window comes to the front instead.
        zevo::ui::InstanceBeacon::callRunning(lockPath);
        return 0;
    }
    if (result == zevo::engine::StartResult::SessionUnreadable) return 1;
    zevo::ui::InstanceBeacon beacon;
    beacon.listen(lockPath, &window);
    window.show();
    window.focusGrid();
    return app.exec();
}
