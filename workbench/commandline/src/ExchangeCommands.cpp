// --export and --import: the exchange file on the command line.
#include <QCommandLineParser>

#include <cstdio>

#include "zevo/commandline/CommandLine.h"
#include "zevo/commandline/ExchangeLink.h"
#include "zevo/engine/MainController.h"
#include "zevo/exchange/BackupRestoreController.h"

namespace zevo::commandline {

using exchange::BackupRestoreController;
using exchange::ExchangeOption;

namespace {

// Runs an export as the export button does: after the declaration's check ("0016"
// when it fails), or at once with --no-check.
void afterCheck(const QCommandLineParser& parser, engine::MainController& controller,
                const std::function<void()>& exportNow) {
    if (parser.isSet(kNoCheck)) {
        exportNow();
        return;
    }
    controller.backupDialog = [&](bool) { exportNow(); };
    controller.cmdExport_Click();
    controller.backupDialog = nullptr;
}

}  // namespace

Command exportCommand() {
    Command command;
    command.name = QStringLiteral("export");
    command.options = {{QStringLiteral("export"),
                        QStringLiteral("Write the exchange file of the saved declaration to <file>, "
                                       "after the declaration's check unless --no-check."),
                        QStringLiteral("file")}};
    command.sharedOptions = {kNoCheck};
    command.run = [](const QCommandLineParser& parser, engine::MainController& controller) {
        const std::string file = parser.value(QStringLiteral("export")).toStdString();
        bool written = false;
        afterCheck(parser, controller, [&] { written = BackupRestoreController::exportWithoutDialog(controller.grid(), file); });
        return written ? kExitDone : kExitFailed;
    };
    return command;
}

Command importCommand() {
    Command command;
    command.name = QStringLiteral("import");
    command.options = {{QStringLiteral("import"),
                        QStringLiteral("Import the exchange file <file> into the saved declaration "
                                       "(--merge or --replace; replacing writes a backup first)."),
                        QStringLiteral("file")},
                       {QStringLiteral("merge"), QStringLiteral("With --import: add to the declaration.")},
                       {QStringLiteral("replace"), QStringLiteral("With --import: replace the declaration.")}};
    command.sharedOptions = {kYes};
    command.check = [](const QCommandLineParser& parser) {
        if (parser.isSet(QStringLiteral("merge")) == parser.isSet(QStringLiteral("replace")))
            return QStringLiteral("--import needs one of --merge and --replace.");
        return QString();
    };
    command.run = [](const QCommandLineParser& parser, engine::MainController& controller) {
        BackupRestoreController dialog(controller.grid(), hostFor(controller, false));
        dialog.bIsBackup = false;
        dialog.Form_Load();
        dialog.optionClick(parser.isSet(QStringLiteral("merge")) ? ExchangeOption::Data : ExchangeOption::Excel);
        dialog.setPath(parser.value(QStringLiteral("import")).toStdString());
        const bool imported = dialog.cmdOK_Click();
        dialog.Form_Unload();
        return imported ? kExitDone : kExitFailed;
    };
    return command;
}

Command exportExcelCommand() {
    Command command;
    command.name = QStringLiteral("export-excel");
    command.options = {{QStringLiteral("export-excel"),
                        QStringLiteral("Write the report of the saved declaration as a workbook into "
                                       "<folder> (after the declaration's check unless --no-check) and "
                                       "print the workbook's path."),
                        QStringLiteral("folder")},
                       {QStringLiteral("special"),
                        QStringLiteral("With --export-excel: the A3 list with the sex names.")}};
    command.sharedOptions = {kNoCheck, kYes};
    command.run = [](const QCommandLineParser& parser, engine::MainController& controller) {
        std::string file;
        const auto exportNow = [&] {
            BackupRestoreController dialog(controller.grid());
            dialog.bIsBackup = true;
            dialog.Form_Load();
            dialog.optionClick(parser.isSet(QStringLiteral("special")) ? ExchangeOption::ExcelSpecial
                                                                       : ExchangeOption::Excel);
            dialog.setPath(parser.value(QStringLiteral("export-excel")).toStdString());
            if (dialog.cmdOK_Click()) file = dialog.excelFile();
            dialog.Form_Unload();
        };
        afterCheck(parser, controller, exportNow);
        if (file.empty()) return kExitFailed;
        std::printf("%s\n", file.c_str());
        std::fflush(stdout);
        return kExitDone;
    };
    return command;
}

}  // namespace zevo::commandline
