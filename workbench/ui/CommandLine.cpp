#include "CommandLine.h"

#include <QCommandLineParser>
#include <QFileInfo>

#include <cstdio>
#include <memory>

#include "zevo/clsMessageBox.h"
#include "zevo/printing/PrintPdfCommand.h"

namespace zevo::ui {

namespace {

// Messages of a headless run: their text on stderr; questions answer No.
class StderrPresenter : public MessagePresenter {
public:
    int present(const MessageRequest& request) override {
        const std::string text = request.text.empty() ? "[" + request.id + "]" : request.text;
        std::fprintf(stderr, "%s\n", text.c_str());
        switch (request.style) {
            case msYesNo:
            case msYesNoCancel: return mrNo;
            case msOKCancel: return mrCancel;
            case msAbortRetryIgnore: return mrAbort;
            default: return mrOK;
        }
    }
};

}  // namespace

CommandLine parseCommandLine(const QStringList& arguments) {
    CommandLine result;
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("ZEVO - tờ khai đăng ký thuế thu nhập cá nhân"));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Displays this help."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Displays version information."));
    const QCommandLineOption printPdf(QStringLiteral("print-pdf"),
                                      QStringLiteral("Writes the reports of the saved declaration's records into one PDF file."),
                                      QStringLiteral("FILE"));
    const QCommandLineOption pages(QStringLiteral("pages"),
                                   QStringLiteral("The records to print, e.g. 1,3-4 (default: all)."),
                                   QStringLiteral("LIST"));
    const QCommandLineOption noCheck(QStringLiteral("no-check"),
                                     QStringLiteral("Skips the declaration's check."));
    parser.addOptions({help, version, printPdf, pages, noCheck});

    // No application object exists yet to name the program in the usage line.
    const auto helpText = [&] {
        return parser.helpText().replace(QStringLiteral("<executable_name>"), QStringLiteral("zevo"));
    };
    auto bad = [&](const QString& why) {
        result.action = CommandLine::Action::BadArguments;
        result.message = why + QStringLiteral("\n\n") + helpText();
        return result;
    };
    if (!parser.parse(arguments)) return bad(parser.errorText());
    if (!parser.positionalArguments().isEmpty())
        return bad(QStringLiteral("Unexpected argument: ") + parser.positionalArguments().first());
    if (parser.isSet(help)) {
        result.action = CommandLine::Action::Help;
        result.message = helpText();
        return result;
    }
    if (parser.isSet(version)) {
        result.action = CommandLine::Action::Version;
        result.message = QStringLiteral("zevo " ZEVO_VERSION);
        return result;
    }
    if (parser.isSet(printPdf)) {
        result.action = CommandLine::Action::PrintPdf;
        result.file = QFileInfo(parser.value(printPdf)).absoluteFilePath();
        result.pages = parser.value(pages);
        result.noCheck = parser.isSet(noCheck);
        return result;
    }
    if (parser.isSet(pages) || parser.isSet(noCheck))
        return bad(QStringLiteral("--pages and --no-check go with a command option such as --print-pdf"));
    return result;
}

int runCommand(const CommandLine& commandLine) {
    switch (commandLine.action) {
        case CommandLine::Action::Help:
        case CommandLine::Action::Version:
            std::fprintf(stdout, "%s\n", commandLine.message.toUtf8().constData());
            return 0;
        case CommandLine::Action::BadArguments:
            std::fprintf(stderr, "%s\n", commandLine.message.toUtf8().constData());
            return 2;
        case CommandLine::Action::PrintPdf: {
            clsMessageBox::setPresenter(std::make_shared<StderrPresenter>());
            printing::PrintPdfRequest request;
            request.file = commandLine.file.toStdString();
            request.pages = commandLine.pages.toStdString();
            request.noCheck = commandLine.noCheck;
            return printing::printPdfCommand(request);
        }
        case CommandLine::Action::Window: break;
    }
    return 0;
}

}  // namespace zevo::ui
