#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class QLocalServer;
class QWidget;

namespace corvane {

// The line between a running Corvane and a second start. The first copy
// listens on a local socket beside its mutex (so per user, and per profile
// wherever a profile has its own runtime folder); a second start connects,
// asks for the window and ends. The request is one line, "raise"; the answer
// "raised" comes after the window was brought to the front.
class InstanceChannel : public QObject
{
    Q_OBJECT

public:
    explicit InstanceChannel(QObject* parent = nullptr);
    ~InstanceChannel() override;

    // The socket's path: "Corvane.socket" in the mutexes' folder.
    static QString serverName();

    // In the first copy: answers requests by bringing window to the front.
    // A socket left by a copy that crashed is replaced (the caller holds the
    // mutex, so no live copy listens there). False when the socket cannot be
    // made; the program then runs without it.
    bool listen(QWidget* window);
    QString errorString() const { return m_error; }

    // In a second start: asks the running copy to raise its window and waits
    // for its answer. True when it answered.
    static bool askToRaise(int timeoutMs = 5000);

    // Brings a window to the front: restored from minimised, shown, raised
    // and activated.
    static void bringToFront(QWidget& window);

private:
    void answer();

    QLocalServer* m_server = nullptr;
    QPointer<QWidget> m_window;
    QString m_error;
};

} // namespace corvane
