#pragma once

#include <QString>

#include <functional>
#include <stdexcept>

namespace corvane {

class Registry;

// The update server's settings (Network key, all stored as text).
struct FtpSettings
{
    QString host;
    int port = 21;
    QString userName;
    QString password;
    int receiveBuffer = 0;
    int sendBuffer = 0;
    bool ascii = false; // FTPTrsfrType "0"
    int timeoutMs = 0;  // read and connect time-out; 0: libcurl's defaults
    QString hostPath;

    static FtpSettings fromRegistry(const Registry& registry);
};

// A failed FTP operation; the message says what failed and why.
class FtpError : public std::runtime_error
{
public:
    explicit FtpError(const QString& message)
        : std::runtime_error(message.toStdString())
        , m_message(message)
    {
    }
    const QString& message() const { return m_message; }

private:
    QString m_message;
};

// An FTP session with libcurl: one handle whose control connection (and
// login) is kept from request to request until quit(). Every call blocks;
// the progress callback is called during transfers and may process the
// window's events.
class FtpClient
{
public:
    // received and expected bytes of the transfer in hand.
    using Progress = std::function<void(qint64 received, qint64 expected)>;

    explicit FtpClient(FtpSettings settings);
    ~FtpClient();
    FtpClient(const FtpClient&) = delete;
    FtpClient& operator=(const FtpClient&) = delete;

    // Connects and logs in, then changes into the host path. Throws FtpError.
    void connect();
    bool connected() const { return m_connected; }
    // Sends QUIT and closes the connection.
    void quit();

    // The server's size of a file of the host path; -1 when the server does not say.
    qint64 size(const QString& fileName);
    // The server's LIST lines for a file of the host path; empty when it is not there.
    QString list(const QString& fileName);
    // Downloads a file of the host path into localPath (written under a
    // temporary name, renamed when complete). Throws FtpError.
    void download(const QString& fileName, const QString& localPath, const Progress& progress = {});

private:
    QByteArray url(const QString& fileName = {}) const;
    void reset();
    void perform(const QString& what);

    FtpSettings m_settings;
    void* m_curl = nullptr; // CURL*
    bool m_connected = false;
    char m_error[256] = {};
};

} // namespace corvane
