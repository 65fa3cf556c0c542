#include "core/discovery/MergedData.h"

#include "core/data/Dataset.h"

#include <QHash>

namespace corvane::MergedData {

QList<MergedRow> Merge(const QStringList& tags, const QList<QPair<QString, int>>& phrases)
{
    QList<MergedRow> rows;
    QHash<QString, qsizetype> rowOf;
    for (const QString& tag : tags) {
        if (tag.isEmpty())
            continue;
        const auto found = rowOf.constFind(tag);
        if (found != rowOf.constEnd()) {
            ++rows[*found].tagCount;
            continue;
        }
        rowOf.insert(tag, rows.size());
        rows.append({1, 0, tag});
    }
    for (const auto& [phrase, count] : phrases) {
        const auto found = rowOf.constFind(phrase);
        if (found != rowOf.constEnd()) {
            rows[*found].densityCount += count;
            continue;
        }
        rowOf.insert(phrase, rows.size());
        rows.append({0, count, phrase});
    }
    return rows;
}

QList<MergedRow> FromTables(Table& mix, Table& phrase)
{
    QStringList tags;
    mix.open();
    for (mix.first(); !mix.eof(); mix.next()) {
        const QString lines = mix.asString(QStringLiteral("MetaST"));
        if (!lines.isEmpty())
            tags += lines.split(u'\n');
    }
    QList<QPair<QString, int>> phrases;
    phrase.open();
    for (phrase.first(); !phrase.eof(); phrase.next())
        phrases.append(
            {phrase.asString(QStringLiteral("Phrase")), phrase.asInteger(QStringLiteral("PhraseCount"))});
    return Merge(tags, phrases);
}

} // namespace corvane::MergedData
