#include "zevo/commandline/CommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstring>
#include <memory>

#include "zevo/clsMessageBox.h"
#include "zevo/engine/MainController.h"

namespace zevo::commandline {

namespace {

void print(std::FILE* to, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), to);
    if (!text.endsWith(QLatin1Char('\n'))) std::fputc('\n', to);
    std::fflush(to);
}

// Messages as text on stderr; a question is answered by "--yes" or else by No.
class TextPresenter : public MessagePresenter {
public:
    TextPresenter(std::FILE* err, bool yes) : err_(err), yes_(yes) {}
    int present(const MessageRequest& request) override {
        print(err_, QString::fromStdString(request.text.empty() ? "message " + request.id : request.text));
        switch (request.style) {
            case msYesNo:
            case msYesNoCancel: return yes_ ? mrYes : mrNo;
            case msOKCancel:
            case msOKCancelRetry: return yes_ ? mrOK : mrCancel;
            case msAbortRetryIgnore: return mrAbort;
            default: return mrOK;
        }
    }

private:
    std::FILE* err_;
    bool yes_;
};

// Puts the dialog presenter back however the run ends.
struct PresenterScope {
    explicit PresenterScope(std::shared_ptr<MessagePresenter> p) { clsMessageBox::setPresenter(std::move(p)); }
    ~PresenterScope() { clsMessageBox::setPresenter(nullptr); }
};

int badArguments(std::FILE* err, const QString& why) {
    print(err, why + QStringLiteral("\nTry 'zevo --help'."));
    return kExitBadArguments;
}

}  // namespace

std::vector<Command> allCommands() { return {exportCommand(), importCommand(), printPdfCommand(), exportExcelCommand(), importListCommand()}; }

bool wantsCommandLine(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        if (std::strncmp(a, "--", 2) == 0 || !std::strcmp(a, "-h") || !std::strcmp(a, "-?") ||
            !std::strcmp(a, "-v"))
            return true;
    }
    return false;
}

int runCommandLine(const QStringList& arguments, const std::vector<Command>& commands, std::FILE* out,
                   std::FILE* err) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "ZEVO: the personal-income-tax registration declaration.\n"
        "Without options the window opens. With a command the saved declaration is\n"
        "used without a window; messages go to stderr and questions answer No unless\n"
        "--yes is given. Exit status: 0 done, 1 refused or failed, 2 bad arguments,\n"
        "3 (--import-list) saved, but some rows or cells were not taken."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.addOption({kYes, QStringLiteral("Answer Yes to every question.")});
    parser.addOption({kNoCheck, QStringLiteral("Skip the declaration's check.")});
    for (const Command& command : commands)
        for (const QCommandLineOption& option : command.options) parser.addOption(option);

    if (!parser.parse(arguments)) return badArguments(err, parser.errorText());
    if (parser.isSet(help)) {
        print(out, parser.helpText());
        return kExitDone;
    }
    if (parser.isSet(version)) {
        print(out, QCoreApplication::applicationName() + QLatin1Char(' ') + QCoreApplication::applicationVersion());
        return kExitDone;
    }
    if (!parser.positionalArguments().isEmpty())
        return badArguments(err, QStringLiteral("Unexpected argument: ") + parser.positionalArguments().first());

    const Command* chosen = nullptr;
    for (const Command& command : commands) {
        if (!parser.isSet(command.name)) continue;
        if (chosen) return badArguments(err, QStringLiteral("Give one command only: --%1 or --%2").arg(chosen->name, command.name));
        chosen = &command;
    }
    if (!chosen) return badArguments(err, QStringLiteral("No command given."));
    // Every option given must be the chosen command's.
    for (const QString& name : parser.optionNames()) {
        bool known = chosen->sharedOptions.contains(name);
        for (const QCommandLineOption& option : chosen->options) known = known || option.names().contains(name);
        if (!known) return badArguments(err, QStringLiteral("--%1 does not go with --%2").arg(name, chosen->name));
    }
    if (chosen->check) {
        const QString problem = chosen->check(parser);
        if (!problem.isEmpty()) return badArguments(err, problem);
    }

    PresenterScope presenter(std::make_shared<TextPresenter>(err, parser.isSet(kYes)));
    engine::MainController controller;
    switch (controller.Form_Load()) {
        case engine::StartResult::Ready: break;
        case engine::StartResult::OtherInstance:
            print(err, QStringLiteral("ZEVO is already running for this user: close it first."));
            return kExitFailed;
        case engine::StartResult::SessionUnreadable:
            print(err, QStringLiteral("The session file Session.dat of the data folder cannot be read."));
            return kExitFailed;
        case engine::StartResult::Stopped:
            print(err, QStringLiteral("The declaration could not be opened; see LogFile.txt in the program folder."));
            return kExitFailed;
    }
    return chosen->run(parser, controller);
}

}  // namespace zevo::commandline
