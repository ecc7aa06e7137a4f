#pragma once
// A declaration of up to four individuals opened by the main-window controller on a
// private installation tree, with the real rules library; a QApplication
// (offscreen); and the poppler tools that read the PDF files the tests write.
#include <gtest/gtest.h>

#include <QApplication>

#include <cstdio>
#include <string>
#include <vector>

#include "MainWindowTestSupport.h"
#include "zevo/grid/Spread.h"

namespace zevo::printing::test {

namespace fs = std::filesystem;
using engine::test::col;
using zevo::testing::readFile;
using zevo::testing::writeFile;

// The DTD every declaration document carries.
inline const char* kDocumentHead =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<!DOCTYPE Sections [<!ATTLIST Cell CellID ID #IMPLIED>]>\n";

inline void ensureApplication() {
    if (QApplication::instance()) return;
    static int argc = 1;
    static char name[] = "printing";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
}

// Standard output of a shell command.
inline std::string commandOutput(const std::string& command) {
    std::string out;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        std::size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
        ::pclose(pipe);
    }
    return out;
}

// Pages of a PDF file (0 when it is no PDF).
inline int pdfPages(const fs::path& pdf) {
    const std::string info = commandOutput("pdfinfo '" + pdf.string() + "' 2>/dev/null");
    const auto at = info.find("Pages:");
    return at == std::string::npos ? 0 : std::stoi(info.substr(at + 6));
}

// Text of a PDF file, or of one page of it.
inline std::string pdfText(const fs::path& pdf, int page = 0) {
    std::string range = page > 0 ? " -f " + std::to_string(page) + " -l " + std::to_string(page) : "";
    return commandOutput("pdftotext" + range + " '" + pdf.string() + "' - 2>/dev/null");
}

inline const std::vector<std::string>& individualNames() {
    static const std::vector<std::string> names = {"Nguyễn Văn An", "Trần Thị Bình", "Lê Văn Cường",
                                                   "Phạm Thị Dung"};
    return names;
}

class PrintTest : public engine::test::MainWindowTest {
protected:
    void SetUp() override {
        ensureApplication();
        MainWindowTest::SetUp();
    }

    // The declaration with `count` individuals (1 .. 4), each on its own list row.
    void openWithIndividuals(int count) {
        open();
        if (HasFatalFailure()) return;
        fillValidDeclaration();   // the first individual on row 38
        static const char* identities[] = {"012345678", "087654321", "023456789", "034567891"};
        for (int i = 1; i < count; ++i) {
            grid().userMoveTo(col("K"), 37 + i);
            grid().userKeyUp(grid::keys::kF5, 0);
            fillIndividual(38 + i, individualNames()[static_cast<std::size_t>(i)], identities[i]);
        }
    }

    fs::path output(const std::string& name) const { return tree_->root() / name; }
};

}  // namespace zevo::printing::test
