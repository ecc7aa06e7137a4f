#pragma once
// `zevo --print-pdf FILE [--pages LIST] [--no-check]`: the saved declaration is
// opened as the window opens it (without a window), checked as the print button
// checks it unless noCheck, and the reports of the selected records are written
// into one PDF file. Messages go to the presenter installed by the caller.
#include <string>

namespace zevo::engine {
class MainController;
}

namespace zevo::printing {

struct PrintPdfRequest {
    std::string file;             // the PDF to write (replaced when written whole)
    std::string pages;            // the records, as the pages box takes them ("" = all)
    bool noCheck = false;
    std::string lockPath;         // the single-instance lock; "" = the window's
    std::string libraryLocation;  // the rules library; "" = the program folder
};

// Exit status: 0 written, 1 refused or failed (another instance, the check, no
// report), 2 a pages list that is not valid.
int printPdfCommand(const PrintPdfRequest& request);

// The same on a declaration the controller has opened (the lock and library
// fields of the request are not used).
int printPdf(engine::MainController& controller, const PrintPdfRequest& request);

}  // namespace zevo::printing
