#include "core/harvest/SessionJournal.h"

#include <QDir>
#include <QJsonDocument>
#include <QSaveFile>
#include <QUrl>

namespace corvane {

namespace {

const QString Suffix = QStringLiteral(".journal");

} // namespace

QString SessionJournal::pathFor(const QString& dataFolder, const QString& project, const QDate& date)
{
    return QDir(dataFolder)
        .filePath(QStringLiteral("Harvester-") + QString::fromLatin1(QUrl::toPercentEncoding(project))
                  + QLatin1Char('-') + date.toString(QStringLiteral("yyyy-MM-dd")) + Suffix);
}

QStringList SessionJournal::pending(const QString& dataFolder)
{
    QStringList paths;
    const QDir folder(dataFolder);
    for (const QString& name :
         folder.entryList({QStringLiteral("Harvester-*") + Suffix}, QDir::Files, QDir::Name))
        paths << folder.filePath(name);
    return paths;
}

bool SessionJournal::write(const QString& path, const SessionRows& rows, QString* error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = QStringLiteral("Cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    file.write(QJsonDocument(rows.toJson()).toJson(QJsonDocument::Compact));
    if (!file.commit()) {
        *error = QStringLiteral("Cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

bool SessionJournal::read(const QString& path, SessionRows* rows)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll());
    return document.isObject() && SessionRows::fromJson(document.object(), rows);
}

} // namespace corvane
