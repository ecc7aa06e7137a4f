#include <QApplication>
#include <QFileInfo>
#include <QTimer>

#include <utility>

#include "AutosaveDriver.h"
#include "InstanceBeacon.h"
#include "frmBackup_Restore.h"
#include "frmReports.h"
#include "mainForm.h"
#include "zevo/commandline/CommandLine.h"
#include "zevo/commandline/ExchangeLink.h"
#include "zevo/engine/MainController.h"

int main(int argc, char** argv) {
    // A command runs headless, before any window (and without a display); the
    // PDF painter needs a GUI application, so it runs on the offscreen platform.
    if (zevo::commandline::wantsCommandLine(argc, argv)) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        QGuiApplication app(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("zevo"));
        QCoreApplication::setApplicationVersion(QStringLiteral(ZEVO_VERSION));
        return zevo::commandline::runCommandLine(QCoreApplication::arguments(),
                                                 zevo::commandline::allCommands());
    }

    QApplication app(argc, argv);
    QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 9));
    zevo::engine::MainController controller;
    zevo::ui::mainForm window(controller);
    zevo::commandline::connectBackupWriter(controller);
    // A file named on the command line (a double-clicked exchange file) opens the
    // import dialog with that file, once the window shows.
    const QStringList files = QApplication::arguments().mid(1);
    std::string fileToImport = files.isEmpty() ? std::string() : QFileInfo(files.last()).absoluteFilePath().toStdString();
    controller.backupDialog = [&](bool isBackup) {
        zevo::exchange::ui::frmBackup_Restore dialog(controller.grid(),
                                                     zevo::commandline::hostFor(controller), &window);
        dialog.setBackup(isBackup);
        if (!isBackup) dialog.setInitialPath(std::exchange(fileToImport, {}));
        dialog.exec();
        window.gridChanged();
    };
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
    // Unsaved changes a crash left behind are offered before anything is typed.
    controller.offerRecovery();
    zevo::ui::AutosaveDriver autosave(controller, window);
    if (!fileToImport.empty()) QTimer::singleShot(0, &window, [&] { controller.cmdImport_Click(); });
    return app.exec();
}
