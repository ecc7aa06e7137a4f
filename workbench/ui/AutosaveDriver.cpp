#include "AutosaveDriver.h"

#include <QEvent>
#include <QGuiApplication>
#include <QWidget>

namespace zevo::ui {

AutosaveDriver::AutosaveDriver(engine::MainController& controller, QWidget& window, int intervalMs)
    : controller_(controller) {
    timer_.setInterval(intervalMs);
    connect(&timer_, &QTimer::timeout, this, &AutosaveDriver::save);
    timer_.start();
    window.installEventFilter(this);
    connect(qGuiApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state != Qt::ApplicationActive) save();
    });
}

bool AutosaveDriver::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::WindowDeactivate) save();
    return QObject::eventFilter(watched, event);
}

void AutosaveDriver::save() {
    if (controller_.autosave()) ++written_;
}

}  // namespace zevo::ui
