#pragma once
// The program's command line. With a command option the program opens the saved
// declaration headless (no window, no dialogs) on the installed tree and data
// folder the window uses, prints each message's catalogue text on stderr, and
// exits: 0 done, 1 refused or failed, 2 bad arguments. Questions answer No unless
// "--yes" is given.
//
// Adding a command: write a function returning its Command (options, check, run)
// beside the code it drives and list it in allCommands().
#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <functional>
#include <vector>

namespace zevo::engine {
class MainController;
}

namespace zevo::commandline {

inline constexpr int kExitDone = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitBadArguments = 2;
// --import-list: saved, but some rows were left out or some cells not taken.
inline constexpr int kExitPartly = 3;

// Options several commands share; a command lists the ones it accepts.
inline constexpr const char* kYes = "yes";
inline constexpr const char* kNoCheck = "no-check";

struct Command {
    QString name;                        // the option that selects the command
    QList<QCommandLineOption> options;   // its own options, the selecting one first
    QStringList sharedOptions;           // shared options it accepts (kYes, kNoCheck)
    // The combination's error for status 2, or "" when it is fine.
    std::function<QString(const QCommandLineParser&)> check;
    // Runs on the opened declaration and gives the exit status.
    std::function<int(const QCommandLineParser&, engine::MainController&)> run;
};

// Every command of the program.
std::vector<Command> allCommands();

// The exchange file: --export FILE [--no-check], --import FILE --merge|--replace [--yes].
Command exportCommand();
Command importCommand();

// The report as a workbook: --export-excel FOLDER [--special] [--no-check] [--yes].
Command exportExcelCommand();

// The reports in one PDF: --print-pdf FILE [--pages LIST] [--no-check].
Command printPdfCommand();

// Individuals from a payroll file: --import-list FILE [--map FIELD=COLUMN,...].
Command importListCommand();

// Whether the arguments are for the command line rather than the window: an
// argument beginning with "--", or -h, -? or -v. Qt's own window options
// ("-platform", "-style") begin with one dash.
bool wantsCommandLine(int argc, char** argv);

// Parses the arguments (program name first), runs the chosen command and returns
// the exit status. Needs a QCoreApplication. `out` gets help and version texts,
// `err` errors and messages.
int runCommandLine(const QStringList& arguments, const std::vector<Command>& commands,
                   std::FILE* out = stdout, std::FILE* err = stderr);

}  // namespace zevo::commandline
