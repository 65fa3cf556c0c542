// Notifications: the SMTP settings in the store, CVNotify and CVEmail, which
// moves concern a notification, and the e-mails themselves, received by a real
// SMTP server (aiosmtpd) on loopback.
#include "core/data/Schema.h"
#include "core/data/TableDatabase.h"
#include "core/notify/NotificationMail.h"
#include "core/notify/Notifications.h"
#include "core/platform/Registry.h"
#include "core/platform/TextCipher.h"
#include "core/settings/Settings.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

// Readable texts in failure messages.
inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

using namespace corvane;

namespace {

const QString Project = QStringLiteral("Ñandú \"O'K\" <b>");
const QString Term = QStringLiteral("crème \"brûlée\" l'été");

int freePort()
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

bool accepts(int port)
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
QString header(const QByteArray& message, const char* name)
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
QString part(const QByteArray& message, const char* contentType)
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

class NotificationTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Registry registry(m_profile.registryPath());
        registry.createKey(SettingsKeys::path(QLatin1String(SettingsKeys::Network)));
        QDir().mkpath(m_profile.path(QStringLiteral("Data")));
        m_db.setDirectory(m_profile.path(QStringLiteral("Data")));
        m_db.connect();
    }

    SmtpSettings smtp(int port) const
    {
        SmtpSettings s;
        s.host = QStringLiteral("127.0.0.1");
        s.port = port;
        s.sender = QStringLiteral("corvane@example.org");
        return s;
    }

    static QVariantList hilo(const char* engine, const QString& term, const char* url, int before, int after)
    {
        return {Project, QDate(2026, 12, 7), QLatin1String(url), QLatin1String(engine), term, before,
                after,   before - after};
    }

    test::TempProfile m_profile;
    Session m_session{QStringLiteral("NotifyTest")};
    Database m_db{QStringLiteral("NotifyTest"), &m_session};
};

} // namespace

TEST_F(NotificationTest, SmtpSettingsRoundTripWithTheirPasswordEnciphered)
{
    Registry registry(m_profile.registryPath());
    SmtpSettings s = smtp(2525);
    s.security = SmtpSettings::Security::StartTls;
    s.user = QStringLiteral("mailer");
    s.password = QStringLiteral("pässwörd \"&<b>");
    s.save(registry);
    const QString stored = RegistryKey(registry, SettingsKeys::path(QStringLiteral("Network")))
                               .readString(QStringLiteral("SMTPPassword"));
    EXPECT_NE(stored, s.password);
    EXPECT_EQ(TextCipher::decipher(stored, TextCipher::ProxyPasswordKey), s.password);
    const SmtpSettings back = SmtpSettings::load(registry);
    EXPECT_EQ(back.host, s.host);
    EXPECT_EQ(back.port, 2525);
    EXPECT_EQ(back.security, SmtpSettings::Security::StartTls);
    EXPECT_EQ(back.user, s.user);
    EXPECT_EQ(back.password, s.password);
    EXPECT_EQ(back.sender, s.sender);
    EXPECT_TRUE(back.problems().isEmpty());

    SmtpSettings bad;
    bad.host = QStringLiteral("mail host");
    bad.port = 70000;
    bad.sender = QStringLiteral("nobody");
    EXPECT_EQ(bad.problems(),
              (QStringList{QStringLiteral("The mail server \"mail host\" is not a host name."),
                           QStringLiteral("The mail server's port must be from 1 to 65535; 70000 is not."),
                           QStringLiteral("The sender \"nobody\" is not an e-mail address.")}));
    EXPECT_TRUE(isMailAddress(QStringLiteral("jörg.o'neil+tag@example.org")));
    for (const char* wrong : {"", "a@", "@b", "a b@c", "a@b@c", "<a@b>", "a@b,c@d", "a@b\r\nBcc: x@y"})
        EXPECT_FALSE(isMailAddress(QString::fromUtf8(wrong))) << wrong;
}

TEST_F(NotificationTest, NotificationsAreStoredPerProjectWithTheirRecipients)
{
    NotificationStore store(m_db);
    Notification first;
    first.urls = {QStringLiteral("Home \"1\" & <b>")};
    first.terms = {Term, QStringLiteral("tea\\pot")};
    first.engines = {QStringLiteral("Demo Alpha")};
    first.recipients = {{QStringLiteral("a@example.org"), true}, {QStringLiteral("b@example.org"), false}};
    Notification second;
    second.recipients = {{QStringLiteral("c@example.org"), true}};
    const QList<Notification> saved = store.save(Project, {first, second});
    ASSERT_EQ(saved.size(), 2);
    EXPECT_EQ(saved[0].id, 1);
    EXPECT_EQ(saved[1].id, 2);
    store.save(QStringLiteral("Other"), {second});

    QList<Notification> loaded = store.load(Project);
    ASSERT_EQ(loaded.size(), 2);
    EXPECT_EQ(loaded[0], saved[0]);
    EXPECT_EQ(loaded[1], saved[1]);
    EXPECT_EQ(store.load(QStringLiteral("Other")).constFirst().id, 3);

    // Saving without the first drops it and its recipients; the other project keeps its own.
    store.save(Project, {loaded[1]});
    loaded = store.load(Project);
    ASSERT_EQ(loaded.size(), 1);
    EXPECT_EQ(loaded[0].id, 2);
    EXPECT_EQ(store.load(QStringLiteral("Other")).size(), 1);
}

TEST_F(NotificationTest, OnlyTheWatchedItemsThatMovedCount)
{
    Notification n;
    n.terms = {Term};
    n.engines = {QStringLiteral("Demo Alpha"), QStringLiteral("Demo Beta")};
    const QList<QVariantList> rows = {
        hilo("Demo Alpha", Term, "Home", 4, 2),               // moved up
        hilo("Demo Alpha", Term, "Shop", 3, 3),               // did not move
        hilo("Demo Beta", Term, "Home", 7, 0),                // dropped out
        hilo("Demo Gamma", Term, "Home", 1, 9),               // engine not watched
        hilo("Demo Beta", QStringLiteral("x"), "Home", 1, 9), // term not watched
    };
    EXPECT_EQ(NotificationMail::movesFor(n, rows),
              (QList<RankMove>{{QStringLiteral("Demo Alpha"), Term, QStringLiteral("Home"), 4, 2},
                               {QStringLiteral("Demo Beta"), Term, QStringLiteral("Home"), 7, 0}}));
}

TEST_F(NotificationTest, MovesAreMailedInPlainTextAndHtml)
{
    SmtpServer server(m_profile.path(QStringLiteral("Maildir")));
    ASSERT_TRUE(server.running());
    Registry registry(m_profile.registryPath());
    smtp(server.port()).save(registry);
    Notification n;
    n.terms = {Term};
    n.recipients = {{QStringLiteral("jörg@example.org"), true},
                    {QStringLiteral("off@example.org"), false},
                    {QStringLiteral("ann@example.org"), true}};
    NotificationStore(m_db).save(Project, {n});

    QStringList log;
    SendSessionNotifications(
        m_db, registry, Project, QDate(2026, 12, 7),
        {hilo("Demo Beta", Term, "Home", 7, 0), hilo("Demo Alpha", Term, "Home <b>", 4, 2)},
        [&](const QString& line) { log << line; });
    ASSERT_EQ(log.size(), 1);
    EXPECT_EQ(log[0],
              QStringLiteral("Harvester sent notification 1 of ") + Project
                  + QStringLiteral(" (2 change(s)) to jörg@example.org, ann@example.org"));

    const QList<QByteArray> messages = server.messages();
    ASSERT_EQ(messages.size(), 1);
    const QByteArray& mail = messages[0];
    EXPECT_EQ(header(mail, "Subject"),
              QStringLiteral("Corvane: rank changes in ") + Project + QStringLiteral(" on 2026-12-07"));
    EXPECT_EQ(header(mail, "From"), QStringLiteral("Corvane <corvane@example.org>"));
    EXPECT_EQ(part(mail, "text/plain"),
              QStringLiteral("Project: ") + Project
                  + QStringLiteral("\nSession: 2026-12-07\n\n4 -> 2  Demo Alpha | ") + Term
                  + QStringLiteral(" | Home <b>\n7 -> not found  Demo Beta | ") + Term
                  + QStringLiteral(" | Home\n\n2 change(s).\n"));
    const QString html = part(mail, "text/html");
    EXPECT_TRUE(html.contains(QStringLiteral("<b>Project:</b> Ñandú &quot;O'K&quot; &lt;b&gt;<br>")));
    EXPECT_TRUE(html.contains(QStringLiteral("<tr><td>4</td><td>2</td><td>Demo Alpha</td><td>crème "
                                             "&quot;brûlée&quot; l'été</td><td>Home &lt;b&gt;</td></tr>")))
        << html.toStdString();

    // Nothing moved: nothing sent, nothing logged.
    log.clear();
    SendSessionNotifications(m_db, registry, Project, QDate(2026, 12, 8),
                             {hilo("Demo Beta", Term, "Home", 3, 3)},
                             [&](const QString& line) { log << line; });
    EXPECT_TRUE(log.isEmpty());
    EXPECT_EQ(server.messages().size(), 1);
}

TEST_F(NotificationTest, AServerThatIsNotThereIsLoggedNotThrown)
{
    Registry registry(m_profile.registryPath());
    smtp(freePort()).save(registry);
    Notification n;
    n.recipients = {{QStringLiteral("a@example.org"), true}};
    NotificationStore(m_db).save(Project, {n});
    QStringList log;
    SendSessionNotifications(m_db, registry, Project, QDate(2026, 12, 7),
                             {hilo("Demo Alpha", Term, "Home", 4, 2)},
                             [&](const QString& line) { log << line; });
    ASSERT_EQ(log.size(), 1);
    EXPECT_TRUE(log[0].startsWith(QStringLiteral("Harvester could not send notification 1 of ") + Project
                                  + QStringLiteral(": The mail server 127.0.0.1:")))
        << log[0].toStdString();
}
