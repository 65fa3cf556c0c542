#include "core/projects/AddItems.h"

#include "core/projects/ProjectRules.h"
#include "core/projects/ProjectStore.h"

#include <QFile>
#include <QRandomGenerator>
#include <QSet>

namespace corvane {

namespace AddItems {

QString normalisedUrl(const QString& url)
{
    QString text = url.trimmed().toLower();
    const qsizetype plain = text.indexOf(QLatin1String("http://"));
    const qsizetype secure = text.indexOf(QLatin1String("https://"));
    if (plain >= 0 && (secure < 0 || plain < secure))
        text.remove(0, plain + 7);
    else if (secure >= 0)
        text.remove(0, secure + 8);
    const qsizetype www = text.indexOf(QLatin1String("www."));
    if (www >= 0)
        text.remove(0, www + 4);
    return text;
}

QString nameLabel(const QString& normalised)
{
    QString label = normalised;
    const qsizetype dot = label.indexOf(u'.');
    if (dot >= 0)
        label.truncate(dot);
    const qsizetype slash = label.indexOf(u'/');
    if (slash >= 0)
        label.truncate(slash);
    label = label.trimmed().left(ProjectRules::MaxUrlName);
    if (label.isEmpty())
        return QStringLiteral("Site");
    label[0] = label[0].toUpper();
    return label;
}

UrlOutcome addUrls(Database& database, const QString& project, const QStringList& urls)
{
    ProjectStore store(database);
    UrlOutcome outcome;
    QSet<QString> names;
    QSet<QString> stored;
    for (const ProjectStore::UrlRow& row : store.urls(project)) {
        names.insert(row.name);
        stored.insert(row.url);
    }
    for (const QString& url : urls) {
        if (stored.contains(ProjectRules::storedUrl(url))) {
            outcome.existing << url;
            continue;
        }
        QString label = nameLabel(url);
        while (names.contains(label))
            label = nameLabel(url).left(ProjectRules::MaxUrlName - 4)
                + QString::number(QRandomGenerator::global()->bounded(10000));
        try {
            store.addUrl(project, label, url, false);
        } catch (const ProjectRefusal& refusal) {
            outcome.refused << url + QStringLiteral(": ") + refusal.message();
            continue;
        }
        names.insert(label);
        stored.insert(ProjectRules::storedUrl(url));
        outcome.added << url;
        outcome.labels << label;
    }
    return outcome;
}

bool addTerm(Database& database, const QString& project, const QString& term)
{
    ProjectStore store(database);
    if (store.terms(project).contains(term))
        return false;
    store.addTerm(project, term);
    return true;
}

} // namespace AddItems

namespace Dictionary {

QString withRandomWord(const QString& dataFolder, const QString& text)
{
    QFile file(dataFolder + QStringLiteral("dictionary.txt"));
    if (!file.open(QIODevice::ReadOnly))
        return text;
    QStringList words;
    for (const QByteArray& line : file.readAll().split('\n'))
        if (!line.trimmed().isEmpty())
            words << QString::fromUtf8(line.trimmed());
    if (words.isEmpty())
        return text;
    return QString(text + QLatin1Char(' ') + words.at(QRandomGenerator::global()->bounded(int(words.size()))))
        .trimmed();
}

} // namespace Dictionary

} // namespace corvane
