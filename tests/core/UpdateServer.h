#pragma once

// The local update server of tools/update-server/ as a test peer: builds the
// four update archives and serves a folder over real FTP on a free loopback
// port, with Debian's pyftpdlib in /usr/bin/python3.

#include "core/platform/Registry.h"
#include "core/settings/Settings.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace corvane::test {

inline QString updateServerScript() { return QStringLiteral(UPDATE_SERVER_SCRIPT); }

// Runs the script to build the archives from an SE3 table file (and a
// MSG.REF when given) into out. Returns the script's error output on failure.
inline QString buildUpdateArchives(const QString& se3File, const QString& out, const QString& messages = {})
{
    QStringList arguments{updateServerScript(), QStringLiteral("--se3"), se3File, QStringLiteral("--out"),
                          out};
    if (!messages.isEmpty())
        arguments << QStringLiteral("--messages") << messages;
    QProcess process;
    process.start(QStringLiteral("/usr/bin/python3"), arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return QStringLiteral("update-server.py failed: ")
            + QString::fromLocal8Bit(process.readAllStandardError());
    return {};
}

// Serves a folder until destroyed. drop: an archive the server hangs up on halfway.
class UpdateServer
{
public:
    explicit UpdateServer(const QString& folder, const QString& drop = {})
    {
        QStringList arguments{updateServerScript(),     QStringLiteral("--serve-only"),
                              QStringLiteral("--out"),  folder,
                              QStringLiteral("--port"), QStringLiteral("0")};
        if (!drop.isEmpty())
            arguments << QStringLiteral("--drop") << drop;
        m_process.setProcessChannelMode(QProcess::SeparateChannels);
        m_process.start(QStringLiteral("/usr/bin/python3"), arguments);
        QDeadlineTimer deadline(20000);
        QByteArray out;
        while (!deadline.hasExpired() && m_process.state() != QProcess::NotRunning) {
            m_process.waitForReadyRead(200);
            out += m_process.readAllStandardOutput();
            const qsizetype at = out.indexOf("READY ");
            if (at >= 0 && out.indexOf('\n', at) > at) {
                m_port = out.mid(at + 6, out.indexOf('\n', at) - at - 6).trimmed().toInt();
                break;
            }
        }
        if (m_port == 0)
            m_error = QString::fromLocal8Bit(out + m_process.readAllStandardError());
    }
    ~UpdateServer()
    {
        m_process.terminate();
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }
    UpdateServer(const UpdateServer&) = delete;
    UpdateServer& operator=(const UpdateServer&) = delete;

    int port() const { return m_port; }
    const QString& error() const { return m_error; }

    // Points the network settings of the current profile at this server.
    void configure(const QString& password = QStringLiteral("update")) const
    {
        Registry registry;
        const QString network = SettingsKeys::path(QLatin1String(SettingsKeys::Network));
        registry.writeString(network, QStringLiteral("FTPHost"), QStringLiteral("127.0.0.1"));
        registry.writeString(network, QStringLiteral("FTPPort"), QString::number(m_port));
        registry.writeString(network, QStringLiteral("FTPUserName"), QStringLiteral("corvane"));
        registry.writeString(network, QStringLiteral("FTPPassword"), password);
        registry.writeString(network, QStringLiteral("FTPHostPath"), QString());
        registry.writeString(network, QStringLiteral("FTPReadTimeout"), QStringLiteral("10000"));
        registry.writeString(network, QStringLiteral("FTPTrsfrType"), QStringLiteral("1"));
    }

private:
    QProcess m_process;
    int m_port = 0;
    QString m_error;
};

} // namespace corvane::test
