#pragma once
// Drives the controller's autosave: once a minute, and whenever the window or the
// application loses the focus (the user turns to another program, where a crash
// or a power cut may follow).
#include <QObject>
#include <QTimer>

#include "zevo/engine/MainController.h"

class QWidget;

namespace zevo::ui {

class AutosaveDriver : public QObject {
    Q_OBJECT
public:
    static constexpr int kIntervalMs = 60 * 1000;
    AutosaveDriver(engine::MainController& controller, QWidget& window, int intervalMs = kIntervalMs);

    // How many recovery copies were written (for tests and the log of a session).
    int written() const { return written_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void save();
    engine::MainController& controller_;
    QTimer timer_;
    int written_ = 0;
};

}  // namespace zevo::ui
