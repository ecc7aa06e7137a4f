#pragma once
// The program's command line, read before any window exists. Without a command
// option the window opens; with one the program runs headless on the same
// installation and data folder, prints each message's text on stderr and exits
// (0 done, 1 refused or failed, 2 bad arguments).
#include <QString>
#include <QStringList>

namespace zevo::ui {

struct CommandLine {
    enum class Action { Window, Help, Version, PrintPdf, BadArguments };
    Action action = Action::Window;
    QString message;   // help text, version, or what is wrong with the arguments
    QString file;      // --print-pdf FILE (absolute)
    QString pages;     // --pages LIST
    bool noCheck = false;

    bool headless() const { return action != Action::Window; }
};

CommandLine parseCommandLine(const QStringList& arguments);

// Runs a headless action (a QApplication exists); returns the exit status.
int runCommand(const CommandLine& commandLine);

}  // namespace zevo::ui
