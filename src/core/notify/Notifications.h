#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace corvane {

class Database;
class Registry;

// The mail server the notification e-mails go out through. Kept in the
// settings store's Network key; the password enciphered like the proxy
// password.
struct SmtpSettings
{
    enum class Security { None, StartTls, Tls };

    QString host;
    int port = 25;
    Security security = Security::None;
    QString user;
    QString password; // plain here, enciphered in the store
    QString sender;   // the From address

    static SmtpSettings load(const Registry& registry);
    // Writes every value through the key's existing values (a missing
    // Network key loses the writes, as every settings write does).
    void save(Registry& registry) const;

    // One line per fault: no host, a port outside 1-65535, a sender that is
    // not an address. Empty when mail can be sent.
    QStringList problems() const;

    static QString securityText(Security security); // "none", "starttls", "tls"
};

// An e-mail address as the notification settings accept it: one "@" with text
// on both sides, no blanks, no line breaks, no angle brackets or commas.
bool isMailAddress(const QString& address);

// One notification of a project (a CVNotify row and its CVEmail rows): the
// URLs, terms and engines to watch, and who gets told when they move.
struct Notification
{
    struct Recipient
    {
        QString address;
        bool enabled = true;
        bool operator==(const Recipient&) const = default;
    };

    int id = 0; // CVNotify.Name; 0 for one not yet stored
    QString project;
    QStringList urls;
    QStringList terms;
    QStringList engines;
    QList<Recipient> recipients;

    bool operator==(const Notification&) const = default;

    // True when a move of this engine, term and URL concerns the
    // notification. An empty list watches every item of its kind.
    bool watches(const QString& engine, const QString& term, const QString& url) const;
};

// The project's notifications in CVNotify and CVEmail.
class NotificationStore
{
public:
    explicit NotificationStore(Database& database);

    // Every notification of the project by id. Throws DatabaseError.
    QList<Notification> load(const QString& project) const;

    // Replaces the project's notifications by these: rows of ids not given
    // are deleted with their e-mail rows; a notification with id 0 gets the
    // next free id. Returns the notifications as stored. Throws DatabaseError.
    QList<Notification> save(const QString& project, QList<Notification> notifications);

private:
    void ensureTables();

    Database& m_db;
};

} // namespace corvane
