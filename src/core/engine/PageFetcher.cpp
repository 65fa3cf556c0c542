#include "core/engine/PageFetcher.h"

#include "core/engine/ContentDecoding.h"
#include "core/settings/Settings.h"

#include <QByteArray>
#include <QRandomGenerator>
#include <QStringDecoder>

#include <curl/curl.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <chrono>
#include <limits>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace corvane {

namespace {

using Clock = std::chrono::steady_clock;

// How often a blocked request or a pacing wait gives the keep-going hook a turn.
constexpr std::chrono::milliseconds HookInterval{15};
constexpr int PollMilliseconds = 15;
constexpr int WaitSliceMilliseconds = 10;

// A reply larger than this is refused rather than held in memory.
constexpr qsizetype MaxBodyBytes = 32 * 1024 * 1024;

// The sizes libcurl accepts for its buffers.
constexpr long MinReceiveBuffer = 1024;
constexpr long MaxReceiveBuffer = CURL_MAX_READ_SIZE;
constexpr long MinUploadBuffer = 16 * 1024;
constexpr long MaxUploadBuffer = 2 * 1024 * 1024;

constexpr int MinimalPageLength = 10;

void initCurlOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// Addresses come from engine scripts and search terms; libcurl refuses blanks,
// control characters and raw non-ASCII, so those are percent-encoded (as UTF-8)
// and everything else is sent as written.
QByteArray requestUrl(const QString& url)
{
    const QByteArray bytes = url.trimmed().toUtf8();
    QByteArray encoded;
    encoded.reserve(bytes.size());
    static const char hex[] = "0123456789ABCDEF";
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b <= 0x20 || b >= 0x7f) {
            encoded.append('%');
            encoded.append(hex[b >> 4]);
            encoded.append(hex[b & 0x0f]);
        } else {
            encoded.append(c);
        }
    }
    return encoded;
}

// Whether an address is http:// (stated or implied) and names no port of its own.
bool takesDefaultPort(const QByteArray& url)
{
    CURLU* parsed = curl_url();
    if (!parsed)
        return false;
    bool result = false;
    if (curl_url_set(parsed, CURLUPART_URL, url.constData(), CURLU_GUESS_SCHEME | CURLU_NON_SUPPORT_SCHEME)
        == CURLUE_OK) {
        char* scheme = nullptr;
        char* port = nullptr;
        const bool hasScheme = curl_url_get(parsed, CURLUPART_SCHEME, &scheme, 0) == CURLUE_OK;
        const bool hasPort = curl_url_get(parsed, CURLUPART_PORT, &port, 0) == CURLUE_OK;
        result = hasScheme && !hasPort && qstricmp(scheme, "http") == 0;
        curl_free(scheme);
        curl_free(port);
    }
    curl_url_cleanup(parsed);
    return result;
}

// "HTTP 500 Internal Server Error" from the status line of the reply.
QString statusText(long status, const QByteArray& statusLine)
{
    const QByteArray line = statusLine.trimmed();
    const qsizetype space = line.indexOf(' ');
    if (line.startsWith("HTTP/") && space > 0) {
        const QByteArray rest = line.mid(space + 1).trimmed();
        if (rest.startsWith(QByteArray::number(qlonglong(status))))
            return QStringLiteral("HTTP ") + QString::fromLatin1(rest);
    }
    return QStringLiteral("HTTP ") + QString::number(status);
}

QString tooLargeMessage()
{
    return QStringLiteral("Reply larger than %1 MB").arg(MaxBodyBytes / (1024 * 1024));
}

// UTF-8 when the bytes are valid UTF-8, Latin-1 otherwise: pages that declare
// no usable charset still come through with every byte kept as a character.
QString decodeBody(const QByteArray& body)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(body);
    if (utf8.hasError())
        return QString::fromLatin1(body);
    return text;
}

} // namespace

// The state of the request in flight, shared with libcurl's callbacks.
struct PageFetcher::Transfer
{
    PageFetcher* fetcher = nullptr;
    QByteArray body;
    QByteArray statusLine;
    QByteArray contentEncoding; // of the last response
    Clock::time_point lastActivity = Clock::now();
    bool aborted = false;
    bool tooLarge = false;

    bool keepGoing() { return fetcher->keepGoing(); }
};

namespace {

size_t onBody(char* data, size_t size, size_t count, void* user)
{
    auto* transfer = static_cast<PageFetcher::Transfer*>(user);
    const size_t bytes = size * count;
    transfer->lastActivity = Clock::now();
    if (transfer->body.size() + qsizetype(bytes) > MaxBodyBytes) {
        transfer->tooLarge = true;
        return 0;
    }
    transfer->body.append(data, qsizetype(bytes));
    return bytes;
}

size_t onHeader(char* data, size_t size, size_t count, void* user)
{
    auto* transfer = static_cast<PageFetcher::Transfer*>(user);
    const size_t bytes = size * count;
    transfer->lastActivity = Clock::now();
    const QByteArrayView line(data, qsizetype(bytes));
    const qsizetype colon = line.indexOf(':');
    const QByteArrayView name = colon > 0 ? line.first(colon) : QByteArrayView();
    if (line.startsWith("HTTP/")) {
        // A new response (after a redirect or a 100 Continue): its own headers count.
        transfer->statusLine = line.toByteArray();
        transfer->contentEncoding.clear();
    } else if (name.compare("Content-Encoding", Qt::CaseInsensitive) == 0) {
        if (!transfer->contentEncoding.isEmpty())
            transfer->contentEncoding += ',';
        transfer->contentEncoding += line.sliced(colon + 1).trimmed();
    } else if (name.compare("Content-Length", Qt::CaseInsensitive) == 0) {
        // The body's buffer is sized once instead of growing with every piece.
        bool ok = false;
        const qlonglong length = line.sliced(colon + 1).trimmed().toLongLong(&ok);
        if (ok && length > 0)
            transfer->body.reserve(qsizetype(std::min<qlonglong>(length, MaxBodyBytes)));
    }
    return bytes;
}

int onProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    auto* transfer = static_cast<PageFetcher::Transfer*>(user);
    if (!transfer->keepGoing()) {
        transfer->aborted = true;
        return 1;
    }
    return 0;
}

} // namespace

PageFetcher::PageFetcher(const SettingsRecord& settings)
    : m_errorBuffer(new char[CURL_ERROR_SIZE])
{
    initCurlOnce();
    m_multi = curl_multi_init();
    if (!m_multi)
        throw std::runtime_error("libcurl could not create a transfer handle");
    configure(settings);
}

PageFetcher::~PageFetcher()
{
    if (m_curl)
        curl_easy_cleanup(static_cast<CURL*>(m_curl));
    curl_slist_free_all(m_headers);
    curl_multi_cleanup(static_cast<CURLM*>(m_multi));
}

void PageFetcher::configure(const SettingsRecord& settings)
{
    // A fresh handle: libcurl keeps cookies across curl_easy_reset.
    if (m_curl)
        curl_easy_cleanup(static_cast<CURL*>(m_curl));
    curl_slist_free_all(m_headers);
    m_headers = nullptr;
    m_curl = curl_easy_init();
    if (!m_curl)
        throw std::runtime_error("libcurl could not create a transfer handle");
    CURL* curl = static_cast<CURL*>(m_curl);

    m_errorBuffer[0] = '\0';
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, m_errorBuffer.get());
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &onBody);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, &onHeader);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &onProgress);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);

    // Read time-out: watched by the transfer loop (perform).
    m_readTimeout = std::max(0, settings.HTTPReadTimeout);

    // Redirects.
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, settings.HTTPHandleRedirects ? 1L : 0L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, long(std::max(0, settings.HTTPRedirectMaximum)));

    // Cookies: an empty cookie file starts the in-memory cookie store.
    if (settings.HTTPAllowCookies)
        curl_easy_setopt(curl, CURLOPT_COOKIEFILE, "");

    // Default port: applied per request, only to addresses without a port.
    m_defaultPort = settings.HTTPPort > 0 && settings.HTTPPort <= 65535 ? settings.HTTPPort : 0;

    // Protocol version.
    curl_easy_setopt(curl, CURLOPT_HTTP_VERSION,
                     settings.HTTPProtocolVersion == 0 ? long(CURL_HTTP_VERSION_1_0)
                                                       : long(CURL_HTTP_VERSION_1_1));

    // Buffers.
    if (settings.HTTPRecvBufferSize > 0)
        curl_easy_setopt(curl, CURLOPT_BUFFERSIZE,
                         std::clamp(long(settings.HTTPRecvBufferSize), MinReceiveBuffer, MaxReceiveBuffer));
    if (settings.HTTPSendBufferSize > 0)
        curl_easy_setopt(curl, CURLOPT_UPLOAD_BUFFERSIZE,
                         std::clamp(long(settings.HTTPSendBufferSize), MinUploadBuffer, MaxUploadBuffer));

    // Accept.
    if (!settings.HTTPAccept.trimmed().isEmpty()) {
        const QByteArray accept = "Accept: " + settings.HTTPAccept.trimmed().toUtf8();
        m_headers = curl_slist_append(m_headers, accept.constData());
    }
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, m_headers);

    // Content length is not sent (see the header); the range only when it is one.
    if (settings.HTTPContentRangeStart >= 0
        && settings.HTTPContentRangeEnd > settings.HTTPContentRangeStart) {
        const QByteArray range = QByteArray::number(settings.HTTPContentRangeStart) + '-'
            + QByteArray::number(settings.HTTPContentRangeEnd);
        curl_easy_setopt(curl, CURLOPT_RANGE, range.constData());
    }

    // Proxy. An empty proxy also keeps http_proxy and its kin out.
    const QString proxyHost = settings.ProxyHost.trimmed();
    if (settings.ProxyAuth && !proxyHost.isEmpty()) {
        curl_easy_setopt(curl, CURLOPT_PROXY, proxyHost.toUtf8().constData());
        curl_easy_setopt(curl, CURLOPT_PROXYTYPE, long(CURLPROXY_HTTP));
        if (settings.ProxyPort > 0 && settings.ProxyPort <= 65535)
            curl_easy_setopt(curl, CURLOPT_PROXYPORT, long(settings.ProxyPort));
        // Every address goes through the proxy, whatever no_proxy says.
        curl_easy_setopt(curl, CURLOPT_NOPROXY, "");
        curl_easy_setopt(curl, CURLOPT_PROXYAUTH, long(CURLAUTH_BASIC));
        if (!settings.ProxyUsername.isEmpty()) {
            curl_easy_setopt(curl, CURLOPT_PROXYUSERNAME, settings.ProxyUsername.toUtf8().constData());
            curl_easy_setopt(curl, CURLOPT_PROXYPASSWORD, settings.ProxyPassword.toUtf8().constData());
        }
    } else {
        curl_easy_setopt(curl, CURLOPT_PROXY, "");
    }

    // Fixed request settings.
    curl_easy_setopt(curl, CURLOPT_USERAGENT, UserAgent);
    // Compressed replies are welcome and decoded, by ContentDecoding rather
    // than libcurl: decoding the body as a whole costs a fraction of
    // libcurl's piecewise zlib. Brotli is left out on purpose: servers that
    // compress at its highest level spend far longer on a result page than
    // the transfer saves.
    curl_easy_setopt(curl, CURLOPT_ACCEPT_ENCODING, ContentDecoding::Offered);
    curl_easy_setopt(curl, CURLOPT_HTTP_CONTENT_DECODING, 0L);
}

void PageFetcher::setKeepGoing(KeepGoing keepGoing) { m_keepGoing = std::move(keepGoing); }

void PageFetcher::requestAbort() { m_abort = true; }

void PageFetcher::clearAbort() { m_abort = false; }

bool PageFetcher::keepGoing()
{
    if (m_abort)
        return false;
    const auto now = Clock::now();
    if (now - m_lastHook < HookInterval)
        return true;
    m_lastHook = now;
    const bool go = !m_keepGoing || m_keepGoing();
    return go && !m_abort;
}

bool PageFetcher::waitUntil(std::chrono::steady_clock::time_point deadline)
{
    for (;;) {
        m_lastHook = {}; // every slice gives the hook its turn
        if (!keepGoing())
            return false;
        const auto now = Clock::now();
        if (now >= deadline)
            return true;
        std::this_thread::sleep_for(
            std::min<Clock::duration>(deadline - now, std::chrono::milliseconds(WaitSliceMilliseconds)));
    }
}

FetchResult PageFetcher::perform(const QString& url)
{
    FetchResult result;
    if (m_abort) {
        result.aborted = true;
        result.error = QStringLiteral("Aborted");
        return result;
    }

    CURL* curl = static_cast<CURL*>(m_curl);
    CURLM* multi = static_cast<CURLM*>(m_multi);
    const QByteArray address = requestUrl(url);
    curl_easy_setopt(curl, CURLOPT_URL, address.constData());
    const bool defaultPort = m_defaultPort > 0 && takesDefaultPort(address);
    curl_easy_setopt(curl, CURLOPT_PORT, defaultPort ? long(m_defaultPort) : 0L);

    Transfer transfer;
    transfer.fetcher = this;
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &transfer);
    m_errorBuffer[0] = '\0';

    // The transfer runs through the multi interface so that the hook gets a
    // turn every few milliseconds even while nothing arrives.
    CURLMcode multiCode = curl_multi_add_handle(multi, curl);
    bool timedOut = false;
    bool done = false;
    CURLcode code = CURLE_OK;
    while (multiCode == CURLM_OK) {
        int running = 0;
        multiCode = curl_multi_perform(multi, &running);
        int queued = 0;
        while (CURLMsg* message = curl_multi_info_read(multi, &queued)) {
            if (message->msg == CURLMSG_DONE && message->easy_handle == curl) {
                code = message->data.result;
                done = true;
            }
        }
        if (done || multiCode != CURLM_OK || transfer.aborted)
            break;
        multiCode = curl_multi_poll(multi, nullptr, 0, PollMilliseconds, nullptr);
        if (!keepGoing()) {
            transfer.aborted = true;
            break;
        }
        if (m_readTimeout > 0
            && Clock::now() - transfer.lastActivity > std::chrono::milliseconds(m_readTimeout)) {
            timedOut = true;
            break;
        }
    }
    curl_multi_remove_handle(multi, curl);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, nullptr);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, nullptr);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, nullptr);

    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    result.httpStatus = status;

    if (transfer.aborted) {
        result.aborted = true;
        result.error = QStringLiteral("Aborted");
    } else if (timedOut) {
        result.error = QStringLiteral("Read timed out");
    } else if (multiCode != CURLM_OK) {
        result.error = QString::fromUtf8(curl_multi_strerror(multiCode));
    } else if (transfer.tooLarge) {
        result.error = tooLargeMessage();
    } else if (!done || code != CURLE_OK) {
        const CURLcode reported = done ? code : CURLE_RECV_ERROR;
        result.error = m_errorBuffer[0] ? QString::fromUtf8(m_errorBuffer.get())
                                        : QString::fromUtf8(curl_easy_strerror(reported));
    } else if (status >= 300) {
        // A final redirect is one that was not followed: no page either.
        result.error = statusText(status, transfer.statusLine);
    } else {
        QString coding;
        switch (ContentDecoding::decode(transfer.contentEncoding, transfer.body, MaxBodyBytes, &coding)) {
        case ContentDecoding::Outcome::Decoded:
            result.ok = true;
            result.page = decodeBody(transfer.body);
            break;
        case ContentDecoding::Outcome::UnknownCoding:
            result.error = QStringLiteral("Unknown content encoding \"%1\"").arg(coding);
            break;
        case ContentDecoding::Outcome::Damaged:
            result.error = QStringLiteral("Damaged %1 data in the reply").arg(coding);
            break;
        case ContentDecoding::Outcome::TooLarge: result.error = tooLargeMessage(); break;
        }
    }
    return result;
}

FetchResult PageFetcher::get(const QString& url) { return perform(url); }

FetchResult PageFetcher::FetchResultPage(const QString& url, const EngineScript& script,
                                         RunCounters& counters)
{
    FetchResult result;
    const std::chrono::milliseconds wait{pacingDelay(script.Delay, script.Delay2)};
    // Counted on the clock's own scale: rounding the time since the last
    // start to whole milliseconds would make every request start up to a
    // millisecond late, which adds up over a run.
    const bool fromLastStart =
        m_pacing == Pacing::BetweenRequestStarts && m_lastRequestStart != Clock::time_point{};
    const auto waitEnd = (fromLastStart ? m_lastRequestStart : Clock::now()) + wait;
    if (wait.count() > 0 && !waitUntil(waitEnd)) {
        result.aborted = true;
        result.error = QStringLiteral("Aborted");
    } else {
        m_lastRequestStart = Clock::now();
        result = perform(url);
    }

    if (result.ok) {
        qsizetype lead = 0;
        while (lead < result.page.size() && (result.page.at(lead) == u'\r' || result.page.at(lead) == u'\n'))
            ++lead;
        result.page.remove(0, lead);
        if (result.page.size() < MinimalPageLength) {
            result.ok = false;
            result.page.clear();
            result.error = QStringLiteral("Minimal data returned");
        }
    }

    if (result.aborted) {
        counters.page -= 1;
    } else if (!result.ok) {
        counters.failures += 1;
        counters.page -= 1;
    } else {
        counters.failures = 0;
        result.page = CleanPage(std::move(result.page));
    }
    return result;
}

namespace {

constexpr char16_t ClosingTag[] = u"</html>";
constexpr qsizetype ClosingTagLength = 7;

// Whether "</html>" starts at i, in any mix of cases or exactly.
bool closingTagNoCaseAt(const char16_t* data, qsizetype size, qsizetype i)
{
    if (i + ClosingTagLength > size || data[i + 1] != u'/')
        return false;
    for (qsizetype k = 2; k < ClosingTagLength; ++k) {
        const char16_t c = data[i + k];
        if ((c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c) != ClosingTag[k])
            return false;
    }
    return true;
}

bool closingTagAt(const char16_t* data, qsizetype size, qsizetype i)
{
    return i + ClosingTagLength <= size && std::equal(ClosingTag, ClosingTag + ClosingTagLength, data + i);
}

// The first "</html>" in any mix of cases, or -1. Eight characters at a time
// are checked for a "</" before the letters are compared.
qsizetype findClosingTagNoCase(const char16_t* data, qsizetype size)
{
    qsizetype i = 0;
#if defined(__SSE2__)
    const __m128i open = _mm_set1_epi16(short(u'<'));
    const __m128i slash = _mm_set1_epi16(short(u'/'));
    for (; i + 9 <= size; i += 8) {
        const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
        const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i + 1));
        unsigned mask = unsigned(
            _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi16(here, open), _mm_cmpeq_epi16(next, slash))));
        while (mask) {
            const int k = __builtin_ctz(mask) / 2;
            if (closingTagNoCaseAt(data, size, i + k))
                return i + k;
            mask &= ~(3u << (2 * k));
        }
    }
#endif
    for (; i < size; ++i) {
        if (data[i] == u'<' && closingTagNoCaseAt(data, size, i))
            return i;
    }
    return -1;
}

// Writes the page out in one line: drops LF, CR and TAB, and turns "%2E",
// "%3A" and "%2F" into ".", ":" and "/". A code is recognised when its last
// character is written, so a code split by a line break is decoded too; as
// no decoded character can be part of a code, this gives what decoding the
// flattened text from left to right gives.
class OneLineWriter
{
public:
    explicit OneLineWriter(char16_t* out)
        : m_out(out)
    {
    }

    void put(char16_t c)
    {
        if (c == u'\n' || c == u'\r' || c == u'\t')
            return;
        m_out[m_size++] = c;
        if (m_size >= 3 && m_out[m_size - 3] == u'%') {
            const char16_t a = m_out[m_size - 2];
            const char16_t decoded = a == u'2' && c == u'E' ? u'.'
                : a == u'3' && c == u'A'                    ? u':'
                : a == u'2' && c == u'F'                    ? u'/'
                                                            : 0;
            if (decoded) {
                m_out[m_size - 3] = decoded;
                m_size -= 2;
            }
        }
    }

    // Eight characters without LF, CR, TAB or "%" are copied at once, unless
    // a "%" among the last two written may still begin a code with them.
    void put(const char16_t* text, qsizetype length)
    {
        qsizetype i = 0;
#if defined(__SSE2__)
        const __m128i lf = _mm_set1_epi16(short(u'\n'));
        const __m128i cr = _mm_set1_epi16(short(u'\r'));
        const __m128i tab = _mm_set1_epi16(short(u'\t'));
        const __m128i percent = _mm_set1_epi16(short(u'%'));
        while (i + 8 <= length) {
            if (codeOpen()) {
                put(text[i++]);
                continue;
            }
            const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i));
            const __m128i special =
                _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(block, lf), _mm_cmpeq_epi16(block, cr)),
                             _mm_or_si128(_mm_cmpeq_epi16(block, tab), _mm_cmpeq_epi16(block, percent)));
            if (_mm_movemask_epi8(special) == 0) {
                _mm_storeu_si128(reinterpret_cast<__m128i*>(m_out + m_size), block);
                m_size += 8;
            } else {
                for (int k = 0; k < 8; ++k)
                    put(text[i + k]);
            }
            i += 8;
        }
#endif
        for (; i < length; ++i)
            put(text[i]);
    }
    qsizetype size() const { return m_size; }

private:
    bool codeOpen() const
    {
        return (m_size >= 1 && m_out[m_size - 1] == u'%') || (m_size >= 2 && m_out[m_size - 2] == u'%');
    }

    char16_t* m_out;
    qsizetype m_size = 0;
};

// Where the closing tag goes when the page is rewritten: before the last 8
// characters that are left once every exact "</html>" is removed (or at the
// start of a shorter page). Tags cannot overlap, so they can be told from
// the end as well as from the start.
qsizetype tagInsertPosition(const char16_t* data, qsizetype size)
{
    qsizetype at = size;
    for (int kept = 0; kept < 8 && at > 0;) {
        if (at >= ClosingTagLength && closingTagAt(data, size, at - ClosingTagLength)) {
            at -= ClosingTagLength;
        } else {
            --at;
            ++kept;
        }
    }
    return at;
}

} // namespace

QString PageFetcher::CleanPage(QString page)
{
    // The page keeps its own closing tag when its first "</html>" (in any
    // case) stands in its last 10 characters, counted from 1, or when the
    // page is no longer than 10 characters: that is the usual page, which is
    // then only written out in one line. Otherwise every exact "</html>" is
    // removed and one is put before the last 8 characters that are left.
    const auto* data = reinterpret_cast<const char16_t*>(page.constData());
    const qsizetype size = page.size();
    QString cleaned(size + ClosingTagLength, Qt::Uninitialized);
    OneLineWriter writer(reinterpret_cast<char16_t*>(cleaned.data()));

    // Counted from 1; 0 when there is none.
    const qsizetype position = findClosingTagNoCase(data, size) + 1;
    if (position >= size - 10) {
        writer.put(data, size);
    } else {
        const qsizetype insertAt = tagInsertPosition(data, size);
        for (qsizetype i = 0; i < size; ++i) {
            if (i == insertAt)
                writer.put(ClosingTag, ClosingTagLength);
            if (data[i] == u'<' && closingTagAt(data, size, i))
                i += ClosingTagLength - 1;
            else
                writer.put(data[i]);
        }
        if (insertAt == size)
            writer.put(ClosingTag, ClosingTagLength);
    }
    cleaned.truncate(writer.size());
    return cleaned;
}

int PageFetcher::pacingDelay(int delay, int delay2)
{
    const qint64 d1 = std::max(0, delay);
    const qint64 d2 = std::max(0, delay2);
    if (d1 == d2)
        return int(d1);
    const qint64 spread = d2 > d1 ? d2 - d1 : d1 - d2;
    const qint64 wait = d1 + qint64(QRandomGenerator::global()->bounded(quint64(spread)));
    return int(std::min<qint64>(wait, std::numeric_limits<int>::max()));
}

bool PageFetcher::retriesExhausted(RunCounters& counters, int httpRetryTimes)
{
    if (counters.failures > httpRetryTimes) {
        counters.failures = 0;
        return true;
    }
    return false;
}

} // namespace corvane
