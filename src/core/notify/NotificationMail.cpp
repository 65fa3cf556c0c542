#include "core/notify/NotificationMail.h"

#include "core/data/DatabaseError.h"

#include <QLocale>
#include <QUuid>

#include <algorithm>
#include <cstring>
#include <curl/curl.h>
#include <exception>
#include <mutex>

namespace corvane {

namespace {

QString rankText(int rank) { return rank > 0 ? QString::number(rank) : QStringLiteral("not found"); }

// Base64 in lines of 76 characters, as MIME asks.
QByteArray base64Lines(const QByteArray& data)
{
    const QByteArray encoded = data.toBase64();
    QByteArray out;
    for (qsizetype i = 0; i < encoded.size(); i += 76)
        out += encoded.mid(i, 76) + "\r\n";
    return out;
}

// A header text: plain ASCII as it is, anything else as an RFC 2047 word.
QByteArray headerText(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    const bool plain = std::all_of(utf8.begin(), utf8.end(), [](char c) {
        return static_cast<unsigned char>(c) >= 0x20 && static_cast<unsigned char>(c) < 0x7f;
    });
    if (plain)
        return utf8;
    // Words of at most 45 bytes (60 base64 characters), never splitting a character.
    QByteArray out;
    qsizetype start = 0;
    while (start < utf8.size()) {
        qsizetype end = std::min(start + 45, utf8.size());
        while (end < utf8.size() && (static_cast<unsigned char>(utf8.at(end)) & 0xC0) == 0x80)
            --end;
        if (!out.isEmpty())
            out += "\r\n ";
        out += "=?UTF-8?B?" + utf8.mid(start, end - start).toBase64() + "?=";
        start = end;
    }
    return out;
}

// The move lines sort by engine, term, URL.
QList<RankMove> sorted(QList<RankMove> moves)
{
    std::stable_sort(moves.begin(), moves.end(), [](const RankMove& a, const RankMove& b) {
        if (a.engine != b.engine)
            return a.engine < b.engine;
        if (a.term != b.term)
            return a.term < b.term;
        return a.url < b.url;
    });
    return moves;
}

struct Upload
{
    QByteArray data;
    qsizetype sent = 0;
};

size_t readUpload(char* buffer, size_t size, size_t count, void* user)
{
    auto* upload = static_cast<Upload*>(user);
    const size_t room = size * count;
    const size_t left = static_cast<size_t>(upload->data.size() - upload->sent);
    const size_t n = std::min(room, left);
    std::memcpy(buffer, upload->data.constData() + upload->sent, n);
    upload->sent += static_cast<qsizetype>(n);
    return n;
}

} // namespace

QList<RankMove> NotificationMail::movesFor(const Notification& notification,
                                           const QList<QVariantList>& hiloRows)
{
    QList<RankMove> moves;
    for (const QVariantList& row : hiloRows) {
        if (row.size() < 7)
            continue;
        RankMove move{row.at(3).toString(), row.at(4).toString(), row.at(2).toString(), row.at(5).toInt(),
                      row.at(6).toInt()};
        if (move.oldRank != move.newRank && notification.watches(move.engine, move.term, move.url))
            moves << move;
    }
    return moves;
}

QString NotificationMail::subject(const QString& project, const QDate& date)
{
    return QStringLiteral("Corvane: rank changes in %1 on %2")
        .arg(project, date.toString(QStringLiteral("yyyy-MM-dd")));
}

QString NotificationMail::plainText(const QString& project, const QDate& date, const QList<RankMove>& moves)
{
    QString text = QStringLiteral("Project: %1\nSession: %2\n\n")
                       .arg(project, date.toString(QStringLiteral("yyyy-MM-dd")));
    for (const RankMove& m : sorted(moves))
        text += QStringLiteral("%1 -> %2  %3 | %4 | %5\n")
                    .arg(rankText(m.oldRank), rankText(m.newRank), m.engine, m.term, m.url);
    text += QStringLiteral("\n%1 change(s).\n").arg(moves.size());
    return text;
}

QString NotificationMail::html(const QString& project, const QDate& date, const QList<RankMove>& moves)
{
    QString text = QStringLiteral("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>")
        + subject(project, date).toHtmlEscaped()
        + QStringLiteral("</title></head><body>\n<p><b>Project:</b> ") + project.toHtmlEscaped()
        + QStringLiteral("<br><b>Session:</b> ") + date.toString(QStringLiteral("yyyy-MM-dd"))
        + QStringLiteral("</p>\n<table border=\"1\" cellspacing=\"0\" cellpadding=\"4\">\n"
                         "<tr><th>Old Rank</th><th>New Rank</th><th>Search Engine</th>"
                         "<th>Search Term</th><th>URL</th></tr>\n");
    for (const RankMove& m : sorted(moves))
        text += QStringLiteral("<tr><td>%1</td><td>%2</td><td>%3</td><td>%4</td><td>%5</td></tr>\n")
                    .arg(rankText(m.oldRank), rankText(m.newRank), m.engine.toHtmlEscaped(),
                         m.term.toHtmlEscaped(), m.url.toHtmlEscaped());
    text += QStringLiteral("</table>\n<p>%1 change(s).</p>\n</body></html>\n").arg(moves.size());
    return text;
}

QByteArray NotificationMail::message(const SmtpSettings& smtp, const QStringList& recipients,
                                     const QString& project, const QDate& date, const QList<RankMove>& moves,
                                     const QDateTime& now)
{
    const QByteArray boundary = "=_corvane_" + QUuid::createUuid().toByteArray(QUuid::Id128);
    const QByteArray host = smtp.sender.section(QLatin1Char('@'), 1).toUtf8();
    QByteArray m;
    m += "From: Corvane <" + smtp.sender.toUtf8() + ">\r\n";
    m += "To: " + recipients.join(QStringLiteral(", ")).toUtf8() + "\r\n";
    m += "Subject: " + headerText(subject(project, date)) + "\r\n";
    m += "Date: " + QLocale::c().toString(now, QStringLiteral("ddd, dd MMM yyyy HH:mm:ss ")).toUtf8()
        + now.toString(QStringLiteral("t")).toUtf8().replace(":", "") + "\r\n";
    m += "Message-ID: <" + QUuid::createUuid().toByteArray(QUuid::Id128) + "@"
        + (host.isEmpty() ? "corvane" : host) + ">\r\n";
    m += "MIME-Version: 1.0\r\n";
    m += "Content-Type: multipart/alternative; boundary=\"" + boundary + "\"\r\n\r\n";
    m += "--" + boundary
        + "\r\nContent-Type: text/plain; charset=UTF-8\r\nContent-Transfer-Encoding: base64\r\n\r\n";
    m += base64Lines(plainText(project, date, moves).toUtf8().replace("\n", "\r\n"));
    m += "--" + boundary
        + "\r\nContent-Type: text/html; charset=UTF-8\r\nContent-Transfer-Encoding: base64\r\n\r\n";
    m += base64Lines(html(project, date, moves).toUtf8().replace("\n", "\r\n"));
    m += "--" + boundary + "--\r\n";
    return m;
}

QString NotificationMail::send(const SmtpSettings& smtp, const QStringList& recipients,
                               const QByteArray& message)
{
    if (const QStringList problems = smtp.problems(); !problems.isEmpty())
        return problems.join(QLatin1Char(' '));
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    CURL* curl = curl_easy_init();
    if (!curl)
        return QStringLiteral("The mail transfer could not be set up.");
    const QString scheme =
        smtp.security == SmtpSettings::Security::Tls ? QStringLiteral("smtps") : QStringLiteral("smtp");
    const QByteArray url =
        QStringLiteral("%1://%2:%3").arg(scheme, smtp.host.trimmed()).arg(smtp.port).toUtf8();
    const QByteArray from = "<" + smtp.sender.trimmed().toUtf8() + ">";
    const QByteArray user = smtp.user.toUtf8();
    const QByteArray password = smtp.password.toUtf8();
    curl_slist* to = nullptr;
    for (const QString& r : recipients)
        to = curl_slist_append(to, QByteArray("<" + r.toUtf8() + ">").constData());
    Upload upload{message, 0};
    char error[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(curl, CURLOPT_URL, url.constData());
    curl_easy_setopt(curl, CURLOPT_MAIL_FROM, from.constData());
    curl_easy_setopt(curl, CURLOPT_MAIL_RCPT, to);
    curl_easy_setopt(curl, CURLOPT_READFUNCTION, readUpload);
    curl_easy_setopt(curl, CURLOPT_READDATA, &upload);
    curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, error);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, 20L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, 60L);
    if (smtp.security == SmtpSettings::Security::StartTls)
        curl_easy_setopt(curl, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_ALL));
    if (!user.isEmpty()) {
        curl_easy_setopt(curl, CURLOPT_USERNAME, user.constData());
        curl_easy_setopt(curl, CURLOPT_PASSWORD, password.constData());
    }
    const CURLcode rc = curl_easy_perform(curl);
    curl_slist_free_all(to);
    curl_easy_cleanup(curl);
    if (rc == CURLE_OK)
        return {};
    const QString detail = QString::fromUtf8(error[0] ? error : curl_easy_strerror(rc)).trimmed();
    return QStringLiteral("The mail server %1:%2 did not take the e-mail: %3")
        .arg(smtp.host.trimmed())
        .arg(smtp.port)
        .arg(detail);
}

void SendSessionNotifications(Database& general, const Registry& registry, const QString& project,
                              const QDate& date, const QList<QVariantList>& hiloRows,
                              const std::function<void(const QString& line)>& log)
{
    try {
        const QList<Notification> notifications = NotificationStore(general).load(project);
        if (notifications.isEmpty())
            return;
        const SmtpSettings smtp = SmtpSettings::load(registry);
        for (const Notification& n : notifications) {
            const QList<RankMove> moves = NotificationMail::movesFor(n, hiloRows);
            QStringList to;
            for (const Notification::Recipient& r : n.recipients)
                if (r.enabled && isMailAddress(r.address.trimmed()))
                    to << r.address.trimmed();
            if (moves.isEmpty() || to.isEmpty())
                continue;
            const QString error = NotificationMail::send(
                smtp, to,
                NotificationMail::message(smtp, to, project, date, moves, QDateTime::currentDateTime()));
            if (error.isEmpty())
                log(QStringLiteral("Harvester sent notification %1 of %2 (%3 change(s)) to %4")
                        .arg(n.id)
                        .arg(project)
                        .arg(moves.size())
                        .arg(to.join(QStringLiteral(", "))));
            else
                log(QStringLiteral("Harvester could not send notification %1 of %2: %3")
                        .arg(n.id)
                        .arg(project, error));
        }
    } catch (const DatabaseError& e) {
        log(QStringLiteral("Harvester could not read the notifications of %1: %2").arg(project, e.message()));
    } catch (const std::exception& e) {
        log(QStringLiteral("Harvester could not send the notifications of %1: %2")
                .arg(project, QString::fromLocal8Bit(e.what())));
    }
}

} // namespace corvane
