#pragma once
// The program's main window over a fresh copy of the install tree, started as
// the program starts it, for the screenshot tools and the benchmarks that drive
// the window. Header only: its users link the window library themselves.
#include <QApplication>
#include <QString>
#include <QWidget>

#include <cstdio>
#include <filesystem>
#include <memory>

#include "TempInstallTree.h"
#include "mainForm.h"
#include "zevo/ScriptedMessagePresenter.h"
#include "zevo/engine/MainController.h"

namespace zevo::ui::tools {

class ToolWindow {
public:
    // No dialog may block an unattended run: messages go to a scripted presenter.
    ToolWindow(const std::filesystem::path& distFolder, const std::filesystem::path& rulesFolder,
               const char* name)
        : tree(distFolder, rulesFolder, name),
          presenter(std::make_shared<ScriptedMessagePresenter>()) {
        clsMessageBox::setPresenter(presenter);
        controller.setInstanceLockPath((tree.root() / "zevo.lock").string());
    }

    // Form_Load; false (and a line on stderr) when the declaration did not open.
    bool start() {
        if (controller.Form_Load() == engine::StartResult::Ready) return true;
        std::fprintf(stderr, "start-up failed\n");
        return false;
    }

    TempInstallTree tree;
    std::shared_ptr<ScriptedMessagePresenter> presenter;
    engine::MainController controller;
    mainForm window{controller};
};

// Writes what `window` shows to a PNG, once pending paints are done, and says so
// on stdout.
inline bool saveShot(QWidget& window, const std::filesystem::path& file) {
    QApplication::processEvents();
    const bool ok = window.grab().save(QString::fromStdString(file.string()));
    std::printf("%s %s\n", ok ? "wrote" : "could not write", file.c_str());
    return ok;
}

}  // namespace zevo::ui::tools
