#include "gui/widgets/InstanceChannel.h"

#include "core/platform/NamedMutex.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QWidget>

namespace corvane {

namespace {

const QByteArray Request = QByteArrayLiteral("raise\n");
const QByteArray Answer = QByteArrayLiteral("raised\n");

} // namespace

InstanceChannel::InstanceChannel(QObject* parent)
    : QObject(parent)
{
}

InstanceChannel::~InstanceChannel()
{
    if (m_server)
        m_server->close();
}

QString InstanceChannel::serverName() { return NamedMutex::lockFolder() + QStringLiteral("Corvane.socket"); }

bool InstanceChannel::listen(QWidget* window)
{
    m_window = window;
    const QString name = serverName();
    if (!m_server) {
        m_server = new QLocalServer(this);
        m_server->setSocketOptions(QLocalServer::UserAccessOption);
        connect(m_server, &QLocalServer::newConnection, this, &InstanceChannel::answer);
    }
    QLocalServer::removeServer(name);
    if (!m_server->listen(name)) {
        m_error = m_server->errorString();
        return false;
    }
    return true;
}

void InstanceChannel::answer()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        const auto read = [this, socket] {
            if (!socket->canReadLine()) {
                // a caller that sends no line ending gets nothing
                if (socket->bytesAvailable() > 64)
                    socket->abort();
                return;
            }
            const QByteArray line = socket->readLine(64);
            if (line == Request && m_window) {
                bringToFront(*m_window);
                socket->write(Answer);
                socket->flush();
            }
            socket->disconnectFromServer();
        };
        connect(socket, &QLocalSocket::readyRead, socket, read);
        if (socket->bytesAvailable() > 0)
            read();
    }
}

bool InstanceChannel::askToRaise(int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(serverName());
    if (!socket.waitForConnected(timeoutMs))
        return false;
    socket.write(Request);
    if (!socket.waitForBytesWritten(timeoutMs))
        return false;
    QByteArray reply;
    while (!reply.endsWith('\n') && socket.waitForReadyRead(timeoutMs))
        reply += socket.readAll();
    return reply == Answer;
}

void InstanceChannel::bringToFront(QWidget& window)
{
    if (window.isMinimized())
        window.setWindowState((window.windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    window.show();
    window.raise();
    window.activateWindow();
}

} // namespace corvane
