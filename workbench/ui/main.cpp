#include <QApplication>

#include "mainForm.h"
#include "zevo/engine/MainController.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 9));
    zevo::engine::MainController controller;
    zevo::ui::mainForm window(controller);
    const zevo::engine::StartResult result = controller.Form_Load();
    if (result == zevo::engine::StartResult::OtherInstance) return 0;
    if (result == zevo::engine::StartResult::SessionUnreadable) return 1;
    window.show();
    window.focusGrid();
    return app.exec();
}
