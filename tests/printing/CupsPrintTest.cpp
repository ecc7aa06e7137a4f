// Printing through the print dialog's controller on a private CUPS server with
// cups-pdf queues: the reports arrive as a PDF job with one page per report and
// copy, the chosen printer becomes the user's default printer (as Qt sees it),
// and a stopped or rejecting queue is reported as not ready.
//
// The test starts its own cupsd (configuration, socket, spool and the user's
// default-printer file under a temporary folder) and stops it afterwards.
// cups-pdf only writes its files under a cupsd that runs as root; elsewhere the
// tests say so and are skipped.
#include <gtest/gtest.h>

#include <QPrinterInfo>

#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "PrintTestSupport.h"
#include "zevo/printing/ReportsController.h"
#include "zevo/printing/clsDefaultPrinter.h"
#include "zevo/printing/frmReportData.h"

namespace zevo::printing::test {
namespace {

using Ids = std::vector<std::string>;

const fs::path kCupsDir = fs::temp_directory_path() / ("zevo-cups-" + std::to_string(::getpid()));

// Every CUPS client of this process (libcups, Qt) talks to the private server
// and keeps the user's default printer ("~/.cups/lpoptions") in the private folder.
const bool kPrivateCups = [] {
    ::setenv("CUPS_SERVER", (kCupsDir / "cups.sock").c_str(), 1);
    ::setenv("CUPS_SERVERROOT", kCupsDir.c_str(), 1);
    ::setenv("HOME", (kCupsDir / "home").c_str(), 1);
    return true;
}();

int shell(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()); }

class PrivateCups {
public:
    // Empty when the server runs with its queues "PDF" and "PDF2"; otherwise why not.
    std::string start() {
        if (::geteuid() != 0) return "cups-pdf writes its files only under a cupsd running as root";
        for (const char* file : {"/usr/sbin/cupsd", "/usr/lib/cups/backend/cups-pdf",
                                 "/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd"})
            if (!fs::exists(file)) return std::string(file) + " is missing (packages cups, printer-driver-cups-pdf)";
        fs::remove_all(kCupsDir);
        for (const char* sub : {"spool/tmp", "cache", "state", "log", "home"})
            fs::create_directories(kCupsDir / sub);
        fs::permissions(kCupsDir, fs::perms(0755));
        fs::permissions(kCupsDir / "spool" / "tmp", fs::perms(01777));
        if (const group* lp = ::getgrnam("lp"))
            for (const char* sub : {"spool", "cache", "state"})
                if (::chown((kCupsDir / sub).c_str(), 0, lp->gr_gid) != 0) return "cannot hand the spool to lp";
        fs::permissions(kCupsDir / "spool", fs::perms(0710));
        const std::string d = kCupsDir.string();
        std::ofstream(kCupsDir / "cups-files.conf")
            << "ServerRoot " << d << "\nRequestRoot " << d << "/spool\nTempDir " << d
            << "/spool/tmp\nCacheDir " << d << "/cache\nStateDir " << d << "/state\nErrorLog " << d
            << "/log/error_log\nAccessLog " << d << "/log/access_log\nPageLog " << d
            << "/log/page_log\nPrintcap " << d << "/printcap\nServerBin /usr/lib/cups\n"
            << "DataDir /usr/share/cups\nUser lp\nGroup lp\nSystemGroup root\n";
        std::ofstream(kCupsDir / "cupsd.conf")
            << "Listen " << d << "/cups.sock\nBrowsing Off\nWebInterface No\nLogLevel warn\n"
            << "DefaultAuthType None\n<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
            << "<Location /admin>\n  Order allow,deny\n  Allow all\n</Location>\n";
        pid_ = ::fork();
        if (pid_ == 0) {
            ::execl("/usr/sbin/cupsd", "cupsd", "-f", "-c", (d + "/cupsd.conf").c_str(), "-s",
                    (d + "/cups-files.conf").c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        if (pid_ < 0) return "cannot start cupsd";
        bool up = false;
        for (int i = 0; i < 100 && !up; ++i) {
            up = shell("lpstat -r") == 0 && fs::exists(kCupsDir / "cups.sock");
            if (!up) std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        if (!up) return "cupsd did not answer: " + readFile(kCupsDir / "log" / "error_log");
        for (const char* queue : {"PDF", "PDF2"})
            if (shell(std::string("lpadmin -p ") + queue +
                      " -E -v cups-pdf:/ -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd") != 0)
                return std::string("lpadmin could not add ") + queue;
        return {};
    }
    ~PrivateCups() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            int status = 0;
            ::waitpid(pid_, &status, 0);
        }
        std::error_code ec;
        fs::remove_all(kCupsDir, ec);
    }

private:
    pid_t pid_ = -1;
};

class CupsPrintTest : public PrintTest {
protected:
    static void SetUpTestSuite() {
        cups_ = new PrivateCups;
        skip_ = new std::string(cups_->start());
    }
    static void TearDownTestSuite() {
        delete cups_;
        delete skip_;
        cups_ = nullptr;
        skip_ = nullptr;
    }
    void SetUp() override {
        if (!skip_->empty()) GTEST_SKIP() << *skip_;
        PrintTest::SetUp();
    }
    void TearDown() override {
        PrintTest::TearDown();
        for (const fs::path& pdf : jobFiles_) fs::remove(pdf);
    }

    // Where cups-pdf puts the jobs of root.
    static fs::path pdfFolder() {
        const passwd* root = ::getpwuid(0);
        return fs::path(root && root->pw_dir ? root->pw_dir : "/root") / "PDF";
    }
    // A job title of this test, which cups-pdf puts in front of the file name.
    std::string title(const std::string& what) const {
        return "zevo-test-" + std::to_string(::getpid()) + "-" + what;
    }
    // The PDF of the job with that title once the queues are idle; "" when none came.
    fs::path jobFile(const std::string& jobTitle) {
        for (int i = 0; i < 300; ++i) {
            const bool idle = commandOutput("lpstat -o 2>/dev/null").empty();
            std::error_code ec;
            if (idle && fs::is_directory(pdfFolder(), ec))
                for (const auto& entry : fs::directory_iterator(pdfFolder(), ec))
                    if (entry.path().filename().string().rfind(jobTitle, 0) == 0) {
                        jobFiles_.push_back(entry.path());
                        return entry.path();
                    }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return {};
    }
    int completedJobs() { 
        const std::string out = commandOutput("lpstat -W completed -o 2>/dev/null");
        return static_cast<int>(std::count(out.begin(), out.end(), '\n'));
    }
    // A print dialog loaded with `printer` chosen in its list.
    std::unique_ptr<ReportsController> dialogOn(const std::string& printer) {
        auto dialog = std::make_unique<ReportsController>(grid());
        dialog->Form_Load();
        for (std::size_t i = 0; i < dialog->printers().size(); ++i)
            if (dialog->printers()[i] == printer) dialog->setPrinterIndex(static_cast<int>(i));
        return dialog;
    }

    static PrivateCups* cups_;
    static std::string* skip_;
    std::vector<fs::path> jobFiles_;
};
PrivateCups* CupsPrintTest::cups_ = nullptr;
std::string* CupsPrintTest::skip_ = nullptr;

TEST_F(CupsPrintTest, ReportsArriveAsOnePageEachOnTheChosenPrinterWhichBecomesTheDefault) {
    openWithIndividuals(3);
    if (HasFatalFailure()) return;
    EXPECT_EQ(QPrinterInfo::defaultPrinterName(), QString());

    // No default printer yet: nothing is selected and both actions wait for a choice.
    auto dialog = dialogOn("");
    EXPECT_EQ(dialog->printers(), (std::vector<std::string>{"PDF", "PDF2"}));
    EXPECT_EQ(dialog->printerIndex(), -1);
    EXPECT_FALSE(dialog->printEnabled());
    EXPECT_FALSE(dialog->previewEnabled());

    dialog = dialogOn("PDF2");
    ASSERT_TRUE(dialog->printEnabled());
    dialog->jobTitle = title("all");
    dialog->cmdPrint_Click();
    EXPECT_TRUE(dialog->unloaded());
    EXPECT_TRUE(presenter_->shown().empty()) << errorLog();
    EXPECT_EQ(QPrinterInfo::defaultPrinterName(), QStringLiteral("PDF2"));
    const fs::path all = jobFile(dialog->jobTitle);
    ASSERT_FALSE(all.empty()) << readFile(kCupsDir / "log" / "error_log");
    EXPECT_EQ(pdfPages(all), 3);

    // The next dialog opens on the default; another choice switches it again.
    dialog = dialogOn("");
    EXPECT_EQ(dialog->printers()[static_cast<std::size_t>(dialog->printerIndex())], "PDF2");
    dialog = dialogOn("PDF");
    dialog->jobTitle = title("copies");
    dialog->txtNumberOfCopies_Change("2");
    dialog->txtPages_Change("2-3");
    dialog->cmdPrint_Click();
    EXPECT_EQ(QPrinterInfo::defaultPrinterName(), QStringLiteral("PDF"));
    EXPECT_EQ(clsDefaultPrinter::currentDefault(), "PDF");
    const fs::path copies = jobFile(dialog->jobTitle);
    ASSERT_FALSE(copies.empty());
    EXPECT_EQ(pdfPages(copies), 4);
    EXPECT_NE(readFile(kCupsDir / "home" / ".cups" / "lpoptions").find("Default PDF"), std::string::npos);
}

TEST_F(CupsPrintTest, StoppedOrRejectingQueueIsNotReady) {
    openWithIndividuals(1);
    if (HasFatalFailure()) return;
    EXPECT_TRUE(IsPrinterReady("PDF2"));
    EXPECT_FALSE(IsPrinterReady("Nowhere"));
    const int before = completedJobs();

    ASSERT_EQ(shell("cupsdisable PDF2"), 0);
    EXPECT_FALSE(IsPrinterReady("PDF2"));
    auto dialog = dialogOn("PDF2");
    dialog->cmdPrint_Click();
    EXPECT_EQ(presenter_->shownIds(), Ids{"0057"});
    EXPECT_FALSE(dialog->unloaded());
    ASSERT_EQ(shell("cupsenable PDF2"), 0);

    ASSERT_EQ(shell("cupsreject PDF2"), 0);
    EXPECT_FALSE(IsPrinterReady("PDF2"));
    presenter_->clear();
    dialog->cmdPrint_Click();
    EXPECT_EQ(presenter_->shownIds(), Ids{"0057"});
    ASSERT_EQ(shell("cupsaccept PDF2"), 0);
    EXPECT_TRUE(IsPrinterReady("PDF2"));
    EXPECT_EQ(completedJobs(), before);
}

TEST_F(CupsPrintTest, PrinterGoneBeforeTheCommandCannotBecomeTheDefault) {
    openWithIndividuals(1);
    if (HasFatalFailure()) return;
    ASSERT_EQ(shell("lpadmin -p PDF3 -E -v cups-pdf:/ -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd"), 0);
    auto dialog = dialogOn("PDF3");
    ASSERT_TRUE(dialog->previewEnabled());
    ASSERT_EQ(shell("lpadmin -x PDF3"), 0);
    int previews = 0;
    dialog->showPreview = [&](frmReportData&) { return ++previews > 0; };
    dialog->cmdPreview_Click();
    EXPECT_EQ(presenter_->shownIds(), Ids{"0026"});
    EXPECT_EQ(previews, 0);
    EXPECT_FALSE(clsDefaultPrinter().SetPrinterAsDefault("PDF3"));
}

TEST_F(CupsPrintTest, PrintInThePreviewPrintsThatReportAndEndsTheRun) {
    openWithIndividuals(3);
    if (HasFatalFailure()) return;
    auto dialog = dialogOn("PDF");
    dialog->jobTitle = title("preview");
    dialog->txtNumberOfCopies_Change("2");
    std::vector<std::string> previewed;
    dialog->showPreview = [&](frmReportData& report) {
        report.fpsReport().setSheet(1);
        previewed.push_back(report.fpsReport().textAt(col("E"), 8));
        if (previewed.size() == 2) EXPECT_TRUE(dialog->printFromPreview(report));
        return true;
    };
    dialog->cmdPreview_Click();
    EXPECT_EQ(previewed, (std::vector<std::string>{individualNames()[0], individualNames()[1]}));
    EXPECT_TRUE(dialog->unloaded());
    const fs::path printed = jobFile(dialog->jobTitle);
    ASSERT_FALSE(printed.empty());
    EXPECT_EQ(pdfPages(printed), 2) << "two copies of the second report";
}

TEST_F(CupsPrintTest, NoCopiesPrintsNothingAndClosesTheDialog) {
    openWithIndividuals(2);
    if (HasFatalFailure()) return;
    const int before = completedJobs();
    auto dialog = dialogOn("PDF");
    dialog->txtNumberOfCopies_Change("0");
    dialog->cmdPrint_Click();
    EXPECT_TRUE(dialog->unloaded());
    EXPECT_TRUE(presenter_->shown().empty());
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(completedJobs(), before);
    EXPECT_TRUE(commandOutput("lpstat -o 2>/dev/null").empty());
}

}  // namespace
}  // namespace zevo::printing::test
