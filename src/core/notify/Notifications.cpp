#include "core/notify/Notifications.h"

#include "core/data/Connection.h"
#include "core/data/Dataset.h"
#include "core/data/Schema.h"
#include "core/data/SqlQuote.h"
#include "core/data/TableDatabase.h"
#include "core/platform/Registry.h"
#include "core/platform/TextCipher.h"
#include "core/settings/Settings.h"

#include <QRegularExpression>

#include <algorithm>

namespace corvane {

namespace {

QString networkKey() { return SettingsKeys::path(QLatin1String(SettingsKeys::Network)); }

QStringList lines(const QString& text)
{
    static const QRegularExpression lineBreak(QStringLiteral("\r?\n"));
    QStringList list = text.split(lineBreak);
    list.removeAll(QString());
    return list;
}

QString joined(const QStringList& list) { return list.join(QStringLiteral("\r\n")); }

QString projectFilter(const QString& project)
{
    return QStringLiteral("Project = ") + SqlQuote::quoted(project, QLatin1Char('"'));
}

} // namespace

QString SmtpSettings::securityText(Security security)
{
    switch (security) {
    case Security::None: break;
    case Security::StartTls: return QStringLiteral("starttls");
    case Security::Tls: return QStringLiteral("tls");
    }
    return QStringLiteral("none");
}

SmtpSettings SmtpSettings::load(const Registry& registry)
{
    const RegistryKey key(registry, networkKey());
    SmtpSettings s;
    s.host = key.readString(QStringLiteral("SMTPHost")).trimmed();
    s.port = SettingText::toInteger(key.readString(QStringLiteral("SMTPPort"))).value_or(25);
    const QString security = key.readString(QStringLiteral("SMTPSecurity")).trimmed().toLower();
    s.security = security == QLatin1String("starttls") ? Security::StartTls
        : security == QLatin1String("tls")             ? Security::Tls
                                                       : Security::None;
    s.user = key.readString(QStringLiteral("SMTPUser"));
    s.password =
        TextCipher::decipher(key.readString(QStringLiteral("SMTPPassword")), TextCipher::ProxyPasswordKey);
    s.sender = key.readString(QStringLiteral("SMTPSender")).trimmed();
    return s;
}

void SmtpSettings::save(Registry& registry) const
{
    const QString key = QLatin1String(SettingsKeys::Network); // writeSetting adds the path
    writeSetting(registry, key, QStringLiteral("SMTPHost"), host.trimmed());
    writeSetting(registry, key, QStringLiteral("SMTPPort"), SettingText::fromInteger(port));
    writeSetting(registry, key, QStringLiteral("SMTPSecurity"), securityText(security));
    writeSetting(registry, key, QStringLiteral("SMTPUser"), user);
    writeSetting(registry, key, QStringLiteral("SMTPPassword"),
                 TextCipher::encipher(password, TextCipher::ProxyPasswordKey));
    writeSetting(registry, key, QStringLiteral("SMTPSender"), sender.trimmed());
}

QStringList SmtpSettings::problems() const
{
    QStringList list;
    static const QRegularExpression hostForm(QStringLiteral("^[A-Za-z0-9._:\\[\\]-]+$"));
    if (host.trimmed().isEmpty())
        list << QStringLiteral("The mail server (SMTP host) is missing.");
    else if (!hostForm.match(host.trimmed()).hasMatch())
        list << QStringLiteral("The mail server \"%1\" is not a host name.").arg(host.trimmed());
    if (port < 1 || port > 65535)
        list << QStringLiteral("The mail server's port must be from 1 to 65535; %1 is not.").arg(port);
    if (!isMailAddress(sender.trimmed()))
        list << QStringLiteral("The sender \"%1\" is not an e-mail address.").arg(sender.trimmed());
    return list;
}

bool isMailAddress(const QString& address)
{
    static const QRegularExpression form(QStringLiteral("^[^@\\s<>,;\"]+@[^@\\s<>,;\"]+$"));
    return form.match(address).hasMatch();
}

bool Notification::watches(const QString& engine, const QString& term, const QString& url) const
{
    return (engines.isEmpty() || engines.contains(engine)) && (terms.isEmpty() || terms.contains(term))
        && (urls.isEmpty() || urls.contains(url));
}

NotificationStore::NotificationStore(Database& database)
    : m_db(database)
{
}

void NotificationStore::ensureTables()
{
    for (const char* name : {"CVNotify", "CVEmail"})
        if (!m_db.tableExists(QLatin1String(name)))
            m_db.createTable(*Schema::table(QLatin1String(name)));
}

QList<Notification> NotificationStore::load(const QString& project) const
{
    QList<Notification> list;
    if (!m_db.tableExists(QStringLiteral("CVNotify")))
        return list;
    Table notify(&m_db, QStringLiteral("CVNotify"));
    notify.setFilter(projectFilter(project));
    notify.setFiltered(true);
    notify.open();
    for (notify.first(); !notify.eof(); notify.next()) {
        Notification n;
        n.id = notify.asInteger(QStringLiteral("Name"));
        n.project = project;
        n.urls = lines(notify.asString(QStringLiteral("URLs")));
        n.terms = lines(notify.asString(QStringLiteral("SearchTerms")));
        n.engines = lines(notify.asString(QStringLiteral("SearchEngines")));
        list << n;
    }
    notify.close();
    std::sort(list.begin(), list.end(),
              [](const Notification& a, const Notification& b) { return a.id < b.id; });
    if (m_db.tableExists(QStringLiteral("CVEmail"))) {
        Table mail(&m_db, QStringLiteral("CVEmail"));
        mail.setFilter(projectFilter(project));
        mail.setFiltered(true);
        mail.open();
        for (mail.first(); !mail.eof(); mail.next()) {
            const int id = mail.asInteger(QStringLiteral("Name"));
            for (Notification& n : list)
                if (n.id == id)
                    n.recipients.append({mail.asString(QStringLiteral("Address")),
                                         mail.asBoolean(QStringLiteral("Enabled"))});
        }
        mail.close();
    }
    return list;
}

QList<Notification> NotificationStore::save(const QString& project, QList<Notification> notifications)
{
    ensureTables();
    // Ids are unique over all projects: the e-mail rows find their notification by it.
    int nextId = 0;
    {
        Table notify(&m_db, QStringLiteral("CVNotify"));
        notify.open();
        for (notify.first(); !notify.eof(); notify.next())
            nextId = std::max(nextId, notify.asInteger(QStringLiteral("Name")));
        notify.close();
    }
    for (Notification& n : notifications) {
        n.project = project;
        if (n.id <= 0)
            n.id = ++nextId;
    }
    // The project's rows are written afresh, both tables in one transaction.
    const QStringList tables{QStringLiteral("CVNotify"), QStringLiteral("CVEmail")};
    const QString names = tables.join(QStringLiteral(", "));
    Connection connection;
    connection.setLockSettings(m_db.session().lockSettings());
    connection.attach(m_db, tables);
    connection.exec(QStringLiteral("BEGIN IMMEDIATE"), names);
    const auto run = [&](const QString& sql, const QVariantList& values, const QString& table) {
        Statement statement = connection.prepare(sql, table);
        statement.bindAll(values);
        connection.run(statement, table);
    };
    try {
        run(QStringLiteral("DELETE FROM CVEmail WHERE Project = ?"), {project}, QStringLiteral("CVEmail"));
        run(QStringLiteral("DELETE FROM CVNotify WHERE Project = ?"), {project}, QStringLiteral("CVNotify"));
        for (const Notification& n : notifications) {
            run(QStringLiteral("INSERT INTO CVNotify (Name, Project, URLs, SearchTerms, SearchEngines) "
                               "VALUES (?, ?, ?, ?, ?)"),
                {n.id, project, joined(n.urls), joined(n.terms), joined(n.engines)},
                QStringLiteral("CVNotify"));
            for (const Notification::Recipient& r : n.recipients)
                run(QStringLiteral(
                        "INSERT INTO CVEmail (Name, Project, Address, Enabled) VALUES (?, ?, ?, ?)"),
                    {n.id, project, r.address, r.enabled}, QStringLiteral("CVEmail"));
        }
        connection.exec(QStringLiteral("COMMIT"), names);
    } catch (...) {
        connection.exec(QStringLiteral("ROLLBACK"), names);
        throw;
    }
    return notifications;
}

} // namespace corvane
