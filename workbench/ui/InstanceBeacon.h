#pragma once
// A second start of the program brings the running window to the front: the
// running instance listens on a local socket beside its lock file, and a second
// instance that finds the lock taken calls it before it ends.
#include <QObject>
#include <QString>

class QLocalServer;
class QWidget;

namespace zevo::ui {

class InstanceBeacon : public QObject {
    Q_OBJECT
public:
    explicit InstanceBeacon(QObject* parent = nullptr);
    // The socket's path for a lock file.
    static QString socketPath(const QString& lockPath);
    // Asks the running instance to show its window; false when none answers.
    static bool callRunning(const QString& lockPath);
    // Listens for later starts and brings `window` to the front when one calls.
    bool listen(const QString& lockPath, QWidget* window);

signals:
    void raised();

private:
    QLocalServer* server_;
    QWidget* window_ = nullptr;
};

}  // namespace zevo::ui
