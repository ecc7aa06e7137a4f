#pragma once
// One print job on a QPrinter (a printer queue or a PDF file): the job opens
// with its first page, pages follow one another, and the job is ended once after
// the last report of a print run, or cancelled when it printed nothing.
//
// The printer covers the whole sheet of paper (full page): the report's own
// margins place the form on it.
#include <memory>
#include <string>

#include <QPageLayout>
#include <QRectF>

class QPainter;
class QPrinter;

namespace zevo::printing {

// Error number of a printer that fails.
inline constexpr int kPrinterError = 482;

class PrintJob {
public:
    // The printer must outlive the job.
    explicit PrintJob(QPrinter& printer);
    ~PrintJob();   // an open job is ended
    PrintJob(const PrintJob&) = delete;
    PrintJob& operator=(const PrintJob&) = delete;

    QPrinter& printer() { return printer_; }
    bool started() const { return painter_ != nullptr; }
    int pagesPrinted() const { return pages_; }

    // Before the job starts: the orientation of the pages.
    void setOrientation(QPageLayout::Orientation orientation);
    // A new page to draw on (the job starts with the first). RuntimeError 482 when
    // the printer refuses.
    QPainter& beginPage();
    // The drawable area of a page and its resolution, in the painter's units.
    QRectF pageRect() const;
    double dpiX() const;
    double dpiY() const;

    // Sends what was printed; false when the printer failed at the end.
    bool end();
    // Drops the job: nothing reaches the printer.
    void cancel();

private:
    QPrinter& printer_;
    std::unique_ptr<QPainter> painter_;
    int pages_ = 0;
};

// The paper every job uses, and what it is set back to after a run.
void setPaperA4(QPrinter& printer);

}  // namespace zevo::printing
