#include "zevo/printing/PrintJob.h"

#include <QPageSize>
#include <QPainter>
#include <QPrinter>

#include "zevo/RuntimeError.h"

namespace zevo::printing {

void setPaperA4(QPrinter& printer) { printer.setPageSize(QPageSize(QPageSize::A4)); }

PrintJob::PrintJob(QPrinter& printer) : printer_(printer) {
    printer_.setFullPage(true);
    printer_.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Point);
}

PrintJob::~PrintJob() {
    if (started()) end();
}

void PrintJob::setOrientation(QPageLayout::Orientation orientation) {
    if (!started()) printer_.setPageOrientation(orientation);
}

QPainter& PrintJob::beginPage() {
    if (!painter_) {
        auto painter = std::make_unique<QPainter>();
        if (!painter->begin(&printer_))
            throw RuntimeError(kPrinterError, "The printer \"" + printer_.printerName().toStdString() +
                                                  "\" cannot start a job");
        painter_ = std::move(painter);
    } else if (!printer_.newPage()) {
        throw RuntimeError(kPrinterError, "The printer cannot start a new page");
    }
    ++pages_;
    return *painter_;
}

QRectF PrintJob::pageRect() const {
    return QRectF(QPointF(0, 0), printer_.pageLayout().fullRectPixels(printer_.resolution()).size());
}

double PrintJob::dpiX() const { return printer_.logicalDpiX(); }
double PrintJob::dpiY() const { return printer_.logicalDpiY(); }

bool PrintJob::end() {
    bool ok = true;
    if (painter_) {
        ok = painter_->end();
        painter_.reset();
    }
    pages_ = 0;
    setPaperA4(printer_);
    return ok && printer_.printerState() != QPrinter::Error;
}

void PrintJob::cancel() {
    if (painter_) {
        printer_.abort();
        painter_->end();
        painter_.reset();
    }
    pages_ = 0;
    setPaperA4(printer_);
}

}  // namespace zevo::printing
