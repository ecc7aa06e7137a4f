#include "zevo/printing/PrintPdfCommand.h"

#include <exception>
#include <iostream>

#include "zevo/ErrorLog.h"
#include "zevo/clsMessageBox.h"
#include "zevo/engine/MainController.h"
#include "zevo/printing/ReportsController.h"

namespace zevo::printing {

int printPdfCommand(const PrintPdfRequest& request) {
    try {
        engine::MainController controller;
        if (!request.lockPath.empty()) controller.setInstanceLockPath(request.lockPath);
        if (!request.libraryLocation.empty()) controller.setBusinessLibraryLocation(request.libraryLocation);
        switch (controller.Form_Load()) {
            case engine::StartResult::Ready: break;
            case engine::StartResult::OtherInstance:
                std::cerr << "ZEVO đang chạy: hãy đóng chương trình rồi thực hiện lại.\n";
                return 1;
            default: return 1;
        }
        return printPdf(controller, request);
    } catch (const std::exception& e) {
        WriteErrorLog("mainForm", "printPdf", e);
        return 1;
    }
}

int printPdf(engine::MainController& controller, const PrintPdfRequest& request) {
    try {
        const std::optional<PageSelection> records = parsePageSelection(request.pages);
        if (!records) {
            clsMessageBox().DisplayMessage(msg::kPagesInvalid, msOKOnly, miCriticalError, "Message", 0);
            return 2;
        }
        std::string compact;
        for (char c : request.pages)
            if (c != ' ') compact.push_back(c);

        bool reached = false, written = false;
        auto print = [&] {
            reached = true;
            ReportsController reports(controller.grid());
            reports.txtPages_Change(compact);
            written = reports.cmdSavePdf_Click(request.file);
        };
        if (request.noCheck) {
            print();
        } else {
            const auto dialog = controller.printDialog;
            controller.printDialog = print;
            controller.cmdPrint_Click();   // shows "0005" when the check fails
            controller.printDialog = dialog;
        }
        if (!reached) return 1;
        return written ? 0 : 1;
    } catch (const std::exception& e) {
        WriteErrorLog("mainForm", "printPdf", e);
        return 1;
    }
}

}  // namespace zevo::printing
