// --print-pdf: the per-individual reports of the saved declaration in one PDF.
#include <QCommandLineParser>
#include <QFileInfo>

#include "zevo/commandline/CommandLine.h"
#include "zevo/engine/MainController.h"
#include "zevo/printing/PageSelection.h"
#include "zevo/printing/PrintPdfCommand.h"

namespace zevo::commandline {

Command printPdfCommand() {
    Command command;
    command.name = QStringLiteral("print-pdf");
    command.options = {{QStringLiteral("print-pdf"),
                        QStringLiteral("Write the reports of the saved declaration's records into the PDF "
                                       "<file>, after the declaration's check unless --no-check."),
                        QStringLiteral("file")},
                       {QStringLiteral("pages"),
                        QStringLiteral("With --print-pdf: the records to print, e.g. 1,3-4 (default: all)."),
                        QStringLiteral("list")}};
    command.sharedOptions = {kNoCheck};
    command.check = [](const QCommandLineParser& parser) {
        if (!printing::parsePageSelection(parser.value(QStringLiteral("pages")).toStdString()))
            return QStringLiteral("--pages takes page numbers and ranges such as 1,3-4.");
        return QString();
    };
    command.run = [](const QCommandLineParser& parser, engine::MainController& controller) {
        printing::PrintPdfRequest request;
        request.file = QFileInfo(parser.value(QStringLiteral("print-pdf"))).absoluteFilePath().toStdString();
        request.pages = parser.value(QStringLiteral("pages")).toStdString();
        request.noCheck = parser.isSet(kNoCheck);
        return printing::printPdf(controller, request);
    };
    return command;
}

}  // namespace zevo::commandline
