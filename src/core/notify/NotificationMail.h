#pragma once

#include "core/notify/Notifications.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QVariantList>

#include <functional>

namespace corvane {

class Database;
class Registry;

// One rank that changed between two sessions (0: not found).
struct RankMove
{
    QString engine;
    QString term;
    QString url;
    int oldRank = 0;
    int newRank = 0;

    bool operator==(const RankMove&) const = default;
};

// The e-mail that tells a notification's recipients how its items moved:
// plain text and HTML (multipart/alternative, UTF-8, base64), sent over SMTP
// with libcurl.
class NotificationMail
{
public:
    // The moves of a session's CVHilo rows (Project, xDate, URL, SearchEngine,
    // SearchTerm, AltYesterday, AltToday, Difference) that the notification
    // watches, in row order.
    static QList<RankMove> movesFor(const Notification& notification, const QList<QVariantList>& hiloRows);

    static QString subject(const QString& project, const QDate& date);
    static QString plainText(const QString& project, const QDate& date, const QList<RankMove>& moves);
    static QString html(const QString& project, const QDate& date, const QList<RankMove>& moves);

    // The whole message as it goes over the wire (CRLF line ends).
    static QByteArray message(const SmtpSettings& smtp, const QStringList& recipients, const QString& project,
                              const QDate& date, const QList<RankMove>& moves, const QDateTime& now);

    // Sends the message to the recipients; the error text, or empty when the
    // server took it.
    static QString send(const SmtpSettings& smtp, const QStringList& recipients, const QByteArray& message);
};

// After a session: for each notification of the project whose items moved,
// one e-mail to its enabled recipients. Every outcome goes to log (the
// CVLog line); a failure never reaches the caller.
void SendSessionNotifications(Database& general, const Registry& registry, const QString& project,
                              const QDate& date, const QList<QVariantList>& hiloRows,
                              const std::function<void(const QString& line)>& log);

} // namespace corvane
