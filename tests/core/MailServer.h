#pragma once

// A real SMTP server (aiosmtpd) on loopback that delivers into a Maildir,
// and readers for the header values and body parts of what it received.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QList>
#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QThread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace corvane::test {

inline int freePort()
{
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t len = sizeof a;
    getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
    close(s);
    return ntohs(a.sin_port);
}

inline bool accepts(int port)
{
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool ok = ::connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    close(s);
    return ok;
}

// aiosmtpd delivering into a Maildir, for the test's lifetime.
class SmtpServer
{
public:
    explicit SmtpServer(const QString& mailDir)
        : m_mailDir(mailDir)
        , m_port(freePort())
    {
        m_process.start(QStringLiteral("/usr/bin/python3"),
                        {QStringLiteral("-m"), QStringLiteral("aiosmtpd"), QStringLiteral("-n"),
                         QStringLiteral("-u"), QStringLiteral("-l"),
                         QStringLiteral("127.0.0.1:%1").arg(m_port), QStringLiteral("-c"),
                         QStringLiteral("aiosmtpd.handlers.Mailbox"), mailDir});
        for (int i = 0; i < 200 && !accepts(m_port); ++i)
            QThread::msleep(50);
    }
    ~SmtpServer()
    {
        m_process.kill();
        m_process.waitForFinished();
    }
    bool running() const { return accepts(m_port); }
    int port() const { return m_port; }

    // The messages delivered so far, as received.
    QList<QByteArray> messages() const
    {
        QList<QByteArray> list;
        const QDir dir(m_mailDir + QStringLiteral("/new"));
        for (const QString& name : dir.entryList(QDir::Files, QDir::Name)) {
            QFile f(dir.filePath(name));
            if (f.open(QIODevice::ReadOnly))
                list << f.readAll();
        }
        return list;
    }

private:
    QString m_mailDir;
    int m_port;
    QProcess m_process;
};

// The value of a header, its encoded words decoded.
inline QString header(const QByteArray& message, const char* name)
{
    const QString text = QString::fromLatin1(
        message.left(message.indexOf("\n\n") >= 0 ? message.indexOf("\n\n") : message.indexOf("\r\n\r\n")));
    const QRegularExpression line(QStringLiteral("^%1: (.*(?:\\r?\\n[ \\t].*)*)$").arg(QLatin1String(name)),
                                  QRegularExpression::MultilineOption);
    QString value = line.match(text).captured(1);
    value.replace(QRegularExpression(QStringLiteral("\\?=\\r?\\n[ \\t]+=\\?")), QStringLiteral("?==?"));
    value.remove(QLatin1Char('\r'));
    const QRegularExpression word(QStringLiteral("=\\?UTF-8\\?B\\?([^?]*)\\?="));
    QByteArray decoded;
    qsizetype at = 0;
    for (auto it = word.globalMatch(value); it.hasNext();) {
        const auto m = it.next();
        decoded += value.mid(at, m.capturedStart() - at).toUtf8();
        decoded += QByteArray::fromBase64(m.captured(1).toLatin1());
        at = m.capturedEnd();
    }
    decoded += value.mid(at).toUtf8();
    return QString::fromUtf8(decoded);
}

// The decoded body of the part of that content type.
inline QString part(const QByteArray& message, const char* contentType)
{
    QByteArray text = message;
    text.replace("\r\n", "\n");
    const qsizetype type = text.indexOf(QByteArray(QByteArray("Content-Type: ") + contentType));
    if (type < 0)
        return {};
    const qsizetype start = text.indexOf("\n\n", type) + 2;
    const qsizetype end = text.indexOf("\n--", start);
    return QString::fromUtf8(QByteArray::fromBase64(text.mid(start, end - start).replace("\n", "")))
        .replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

} // namespace corvane::test
