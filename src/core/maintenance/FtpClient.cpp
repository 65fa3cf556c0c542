#include "core/maintenance/FtpClient.h"

#include "core/platform/Registry.h"
#include "core/settings/Settings.h"

#include <QFile>
#include <QUrl>

#include <algorithm>
#include <cstdio>
#include <curl/curl.h>
#include <mutex>

namespace corvane {

namespace {

constexpr long DefaultConnectTimeoutMs = 30000;
constexpr long DefaultResponseTimeoutS = 60;
constexpr long MinReceiveBuffer = 1024;
constexpr long MaxReceiveBuffer = CURL_MAX_READ_SIZE;
constexpr long MinUploadBuffer = 16 * 1024;
constexpr long MaxUploadBuffer = 2 * 1024 * 1024;

void initCurlOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

int integerOf(const QString& text, int fallback)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok ? value : fallback;
}

size_t discard(char*, size_t size, size_t count, void*) { return size * count; }

size_t toBuffer(char* data, size_t size, size_t count, void* context)
{
    static_cast<QByteArray*>(context)->append(data, qsizetype(size * count));
    return size * count;
}

struct FileTransfer
{
    std::FILE* file = nullptr;
    const FtpClient::Progress* progress = nullptr;
    qint64 expected = -1;
};

size_t toFile(char* data, size_t size, size_t count, void* context)
{
    auto* transfer = static_cast<FileTransfer*>(context);
    return std::fwrite(data, size, count, transfer->file) * size;
}

int onProgress(void* context, curl_off_t total, curl_off_t received, curl_off_t, curl_off_t)
{
    auto* transfer = static_cast<FileTransfer*>(context);
    if (transfer->progress && *transfer->progress)
        (*transfer->progress)(qint64(received), transfer->expected >= 0 ? transfer->expected : qint64(total));
    return 0;
}

// The errors of a request for a file the server does not have.
bool isMissingFile(CURLcode rc)
{
    return rc == CURLE_REMOTE_FILE_NOT_FOUND || rc == CURLE_FTP_COULDNT_RETR_FILE;
}

} // namespace

FtpSettings FtpSettings::fromRegistry(const Registry& registry)
{
    const RegistryKey key(registry, SettingsKeys::path(QLatin1String(SettingsKeys::Network)));
    FtpSettings s;
    s.host = key.readString(QStringLiteral("FTPHost")).trimmed();
    s.port = integerOf(key.readString(QStringLiteral("FTPPort")), 21);
    s.userName = key.readString(QStringLiteral("FTPUserName"));
    s.password = key.readString(QStringLiteral("FTPPassword"));
    s.receiveBuffer = integerOf(key.readString(QStringLiteral("FTPRecvBuff")), 0);
    s.sendBuffer = integerOf(key.readString(QStringLiteral("FTPSendBuff")), 0);
    s.ascii = key.readString(QStringLiteral("FTPTrsfrType")).trimmed() == QLatin1String("0");
    s.timeoutMs = integerOf(key.readString(QStringLiteral("FTPReadTimeout")), 0);
    s.hostPath = key.readString(QStringLiteral("FTPHostPath"));
    return s;
}

FtpClient::FtpClient(FtpSettings settings)
    : m_settings(std::move(settings))
{
    initCurlOnce();
    m_curl = curl_easy_init();
}

FtpClient::~FtpClient() { quit(); }

QByteArray FtpClient::url(const QString& fileName) const
{
    QString host = m_settings.host;
    if (host.contains(QLatin1Char(':')) && !host.startsWith(QLatin1Char('[')))
        host = QLatin1Char('[') + host + QLatin1Char(']'); // an IPv6 address
    QByteArray address =
        "ftp://" + QUrl::toPercentEncoding(host, "[]:") + ':' + QByteArray::number(m_settings.port) + '/';
    // A host path from the root starts with "%2F"; others are relative to the login folder.
    QString path = m_settings.hostPath.trimmed();
    if (path.startsWith(QLatin1Char('/')))
        address += "%2F";
    const QStringList parts = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString& part : parts)
        address += QUrl::toPercentEncoding(part) + '/';
    if (!fileName.isEmpty())
        address += QUrl::toPercentEncoding(fileName);
    return address;
}

void FtpClient::reset()
{
    CURL* curl = static_cast<CURL*>(m_curl);
    // Resetting keeps the live connection and its login.
    curl_easy_reset(curl);
    m_error[0] = '\0';
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, m_error);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "ftp");
    // What a request without a body prints (sizes, listings) is not wanted.
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &discard);
    curl_easy_setopt(curl, CURLOPT_PROXY, ""); // the update goes direct
    if (!m_settings.userName.isEmpty()) {
        curl_easy_setopt(curl, CURLOPT_USERNAME, m_settings.userName.toUtf8().constData());
        curl_easy_setopt(curl, CURLOPT_PASSWORD, m_settings.password.toUtf8().constData());
    }
    if (m_settings.timeoutMs > 0) {
        const long seconds = std::max(1L, long((m_settings.timeoutMs + 999) / 1000));
        curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, long(m_settings.timeoutMs));
        curl_easy_setopt(curl, CURLOPT_SERVER_RESPONSE_TIMEOUT, seconds);
        // A transfer that receives nothing for the read time-out fails.
        curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
        curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, seconds);
    } else {
        curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, DefaultConnectTimeoutMs);
        curl_easy_setopt(curl, CURLOPT_SERVER_RESPONSE_TIMEOUT, DefaultResponseTimeoutS);
    }
    if (m_settings.receiveBuffer > 0)
        curl_easy_setopt(curl, CURLOPT_BUFFERSIZE,
                         std::clamp(long(m_settings.receiveBuffer), MinReceiveBuffer, MaxReceiveBuffer));
    if (m_settings.sendBuffer > 0)
        curl_easy_setopt(curl, CURLOPT_UPLOAD_BUFFERSIZE,
                         std::clamp(long(m_settings.sendBuffer), MinUploadBuffer, MaxUploadBuffer));
    curl_easy_setopt(curl, CURLOPT_TRANSFERTEXT, m_settings.ascii ? 1L : 0L);
}

void FtpClient::perform(const QString& what)
{
    const CURLcode rc = curl_easy_perform(static_cast<CURL*>(m_curl));
    if (rc == CURLE_OK)
        return;
    const QString detail = QString::fromUtf8(m_error[0] ? m_error : curl_easy_strerror(rc));
    throw FtpError(what + QStringLiteral(": ") + detail);
}

void FtpClient::connect()
{
    if (m_settings.host.isEmpty())
        throw FtpError(QStringLiteral("No update server is set (FTP host name in the network settings)."));
    if (!m_curl)
        throw FtpError(QStringLiteral("The FTP client cannot be started."));
    reset();
    CURL* curl = static_cast<CURL*>(m_curl);
    curl_easy_setopt(curl, CURLOPT_URL, url().constData());
    curl_easy_setopt(curl, CURLOPT_NOBODY, 1L);
    perform(QStringLiteral("Cannot connect to %1 port %2").arg(m_settings.host).arg(m_settings.port));
    m_connected = true;
}

void FtpClient::quit()
{
    if (m_curl) {
        // Cleaning up the handle sends QUIT on the open control connection.
        curl_easy_cleanup(static_cast<CURL*>(m_curl));
        m_curl = nullptr;
    }
    m_connected = false;
}

qint64 FtpClient::size(const QString& fileName)
{
    reset();
    CURL* curl = static_cast<CURL*>(m_curl);
    curl_easy_setopt(curl, CURLOPT_URL, url(fileName).constData());
    curl_easy_setopt(curl, CURLOPT_NOBODY, 1L);
    const CURLcode rc = curl_easy_perform(curl);
    if (isMissingFile(rc))
        return -1;
    if (rc != CURLE_OK)
        throw FtpError(QStringLiteral("Cannot read the size of \"%1\": %2")
                           .arg(fileName, QString::fromUtf8(m_error[0] ? m_error : curl_easy_strerror(rc))));
    curl_off_t length = -1;
    curl_easy_getinfo(curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
    return qint64(length);
}

QString FtpClient::list(const QString& fileName)
{
    reset();
    CURL* curl = static_cast<CURL*>(m_curl);
    QByteArray body;
    const QByteArray request = "LIST " + fileName.toUtf8();
    curl_easy_setopt(curl, CURLOPT_URL, url().constData());
    curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, request.constData());
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &toBuffer);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
    const CURLcode rc = curl_easy_perform(curl);
    if (isMissingFile(rc) || rc == CURLE_REMOTE_ACCESS_DENIED)
        return {};
    if (rc != CURLE_OK)
        throw FtpError(QStringLiteral("Cannot list \"%1\": %2")
                           .arg(fileName, QString::fromUtf8(m_error[0] ? m_error : curl_easy_strerror(rc))));
    return QString::fromUtf8(body).trimmed();
}

void FtpClient::download(const QString& fileName, const QString& localPath, const Progress& progress)
{
    const QString partPath = localPath + QStringLiteral(".part");
    FileTransfer transfer;
    transfer.progress = &progress;
    transfer.file = std::fopen(QFile::encodeName(partPath).constData(), "wb");
    if (!transfer.file)
        throw FtpError(QStringLiteral("Cannot write \"%1\".").arg(partPath));

    reset();
    CURL* curl = static_cast<CURL*>(m_curl);
    curl_easy_setopt(curl, CURLOPT_URL, url(fileName).constData());
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &toFile);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &onProgress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    const CURLcode rc = curl_easy_perform(curl);
    const bool written = std::fclose(transfer.file) == 0;
    if (rc != CURLE_OK) {
        QFile::remove(partPath);
        throw FtpError(QStringLiteral("Cannot download \"%1\": %2")
                           .arg(fileName, QString::fromUtf8(m_error[0] ? m_error : curl_easy_strerror(rc))));
    }
    if (!written) {
        QFile::remove(partPath);
        throw FtpError(QStringLiteral("Cannot write \"%1\".").arg(partPath));
    }
    QFile::remove(localPath);
    if (std::rename(QFile::encodeName(partPath).constData(), QFile::encodeName(localPath).constData()) != 0) {
        QFile::remove(partPath);
        throw FtpError(QStringLiteral("Cannot write \"%1\".").arg(localPath));
    }
}

} // namespace corvane
