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

#include "MailServer.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

// Readable texts in failure messages.
inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

using namespace corvane;
using test::freePort;
using test::header;
using test::part;
using test::SmtpServer;

namespace {

const QString Project = QStringLiteral("Ñandú \"O'K\" <b>");
const QString Term = QStringLiteral("crème \"brûlée\" l'été");

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
