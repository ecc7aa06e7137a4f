#include "zevo/printing/PreviewController.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPainter>

#include <exception>

#include "zevo/ErrorLog.h"
#include "zevo/printing/frmReportData.h"

namespace zevo::printing {

namespace {
constexpr const char* kModule = "frmPreview";
}

PreviewController::PreviewController(frmReportData& report) : report_(report) {
    try {
        const int sheets = report_.fpsReport().sheetCount();
        pages_.assign(static_cast<std::size_t>(std::max(sheets, 0)), 0);
        int first = 0;
        for (int s = 1; s <= sheets; ++s) {
            if (!report_.sheetPrintable(s)) continue;
            pages_[static_cast<std::size_t>(s) - 1] = report_.pageCount(s, layoutRect(s), kLayoutDpi, kLayoutDpi);
            total_ += pages_[static_cast<std::size_t>(s) - 1];
            if (!first && pages_[static_cast<std::size_t>(s) - 1] > 0) first = s;
        }
        // The first sheet with a page opens; a report without pages shows sheet 1.
        sheet_ = first ? first : 1;
        current_ = 1;
        sheetPage_ = 1;
        report_.fpsReport().setActiveSheet(sheet_);
        UpdatePageCount();
    } catch (const std::exception& e) {
        WriteErrorLog(kModule, "Form_Load", e);
    }
}

QRectF PreviewController::layoutRect(int sheet) const {
    const QPageLayout layout(QPageSize(QPageSize::A4),
                             report_.sheetLandscape(sheet) ? QPageLayout::Landscape : QPageLayout::Portrait,
                             QMarginsF());
    return QRectF(QPointF(0, 0), layout.fullRectPixels(static_cast<int>(kLayoutDpi)).size());
}

int PreviewController::pagesOf(int sheet) const {
    return sheet >= 1 && sheet <= static_cast<int>(pages_.size()) ? pages_[static_cast<std::size_t>(sheet) - 1] : 0;
}

std::string PreviewController::counterText() const {
    return "Trang " + std::to_string(current_) + " trong " + std::to_string(total_);
}

void PreviewController::UpdatePageCount() {
    if (current_ <= 1 && total_ > 1) {
        previousEnabled_ = false;
        nextEnabled_ = true;
    } else if (current_ >= total_ && total_ >= 2) {
        nextEnabled_ = false;
        previousEnabled_ = true;
    } else if (total_ >= 2) {
        nextEnabled_ = previousEnabled_ = true;
    } else {
        nextEnabled_ = previousEnabled_ = false;
    }
}

void PreviewController::cmdNext_Click() {
    try {
        if (current_ >= total_) return;
        if (sheetPage_ < pagesOf(sheet_)) {
            ++sheetPage_;
            ++current_;
        } else {
            // On to the next sheet that has pages; when none does, stay.
            int next = sheet_ + 1;
            while (next <= static_cast<int>(pages_.size()) && pagesOf(next) == 0) ++next;
            if (next > static_cast<int>(pages_.size())) return;
            sheet_ = next;
            sheetPage_ = 1;
            ++current_;
            report_.fpsReport().setActiveSheet(sheet_);
        }
        UpdatePageCount();
    } catch (const std::exception& e) {
        WriteErrorLog(kModule, "cmdNext_Click", e);
    }
}

void PreviewController::cmdPrevious_Click() {
    try {
        if (current_ <= 1) return;
        if (sheetPage_ > 1) {
            --sheetPage_;
            --current_;
        } else {
            int previous = sheet_ - 1;
            while (previous >= 1 && pagesOf(previous) == 0) --previous;
            if (previous < 1) return;
            sheet_ = previous;
            sheetPage_ = pagesOf(previous);
            --current_;
            report_.fpsReport().setActiveSheet(sheet_);
        }
        UpdatePageCount();
    } catch (const std::exception& e) {
        WriteErrorLog(kModule, "cmdPrevious_Click", e);
    }
}

QSizeF PreviewController::pageSizePoints() const {
    const QPageLayout layout(QPageSize(QPageSize::A4),
                             report_.sheetLandscape(sheet_) ? QPageLayout::Landscape : QPageLayout::Portrait,
                             QMarginsF());
    return layout.fullRectPoints().size();
}

void PreviewController::paintCurrent(QPainter& painter, const QRectF& target, double dpi) const {
    painter.fillRect(target, Qt::white);
    if (pagesOf(sheet_) == 0) return;
    report_.paintPage(painter, sheet_, sheetPage_, target, dpi, dpi);
}

}  // namespace zevo::printing
