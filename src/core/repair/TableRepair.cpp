#include "core/repair/TableRepair.h"

#include "core/data/Schema.h"
#include "core/data/TableFile.h"
#include "core/repair/RawTableFile.h"
#include "core/repair/TableRebuild.h"

#include <QFileInfo>

namespace corvane::repair {

namespace {

// Findings shown in a result; the rest are counted.
constexpr int ShownProblems = 3;

QString foundText(const TableCondition& condition)
{
    QStringList shown = condition.problems.mid(0, ShownProblems);
    QString text = shown.join(QLatin1String("; "));
    if (condition.problems.size() > ShownProblems)
        text += QStringLiteral(" (and %1 more)").arg(condition.problems.size() - ShownProblems);
    return text;
}

QString rebuildText(const RebuildResult& rebuilt)
{
    QString text = QStringLiteral("Rebuilt from %1 readable row(s)").arg(rebuilt.rowsCopied);
    if (rebuilt.layoutFromSchema)
        text += QStringLiteral(" with the program's layout of the table");
    if (rebuilt.readErrors > 0)
        text += QStringLiteral("; damaged pages skipped at %1 place(s)").arg(rebuilt.readErrors);
    if (rebuilt.duplicateRows > 0)
        text += QStringLiteral("; %1 row(s) repeating a unique key left out").arg(rebuilt.duplicateRows);
    return text
        + QStringLiteral("; the damaged file is kept as \"%1\".").arg(QFileInfo(rebuilt.keptCopy).fileName());
}

// Rebuilds the indexes in place and creates the missing ones. Returns what
// failed, empty when every step worked.
QString mendIndexes(const QString& path, const TableCondition& condition, bool reindex, QStringList& actions)
{
    RawTableFile file(path);
    if (!file.isOpen())
        return file.openError();
    if (reindex) {
        if (!file.exec(QStringLiteral("REINDEX ") + RawTableFile::quoteName(condition.tableName)))
            return QStringLiteral("The indexes cannot be rebuilt: %1").arg(file.lastError());
        actions << QStringLiteral("Indexes rebuilt.");
    }
    const TableDef* def = Schema::table(condition.tableName);
    QStringList failures;
    for (const QString& name : condition.missingIndexes) {
        const IndexDef* index = def ? def->index(name) : nullptr;
        if (!index)
            continue;
        TableDef named = *def;
        named.name = condition.tableName;
        if (file.exec(TableFile::createIndexSql(named, *index)))
            actions << QStringLiteral("Index \"%1\" created.").arg(name);
        else
            failures << QStringLiteral("Index \"%1\" cannot be created: %2").arg(name, file.lastError());
    }
    return failures.join(QLatin1String("; "));
}

} // namespace

QString TableResult::resultText() const
{
    switch (outcome) {
    case Outcome::Sound: return QStringLiteral("OK");
    case Outcome::Damaged: return QStringLiteral("Damaged");
    case Outcome::Repaired: return QStringLiteral("Repaired");
    case Outcome::NotRepaired: return QStringLiteral("Not repaired");
    }
    return {};
}

QString TableResult::details() const
{
    switch (outcome) {
    case Outcome::Sound: return QStringLiteral("The integrity check found nothing wrong.");
    case Outcome::Damaged: return foundText(found);
    case Outcome::Repaired:
        return actions.join(QLatin1Char(' ')) + QStringLiteral(" Found: ") + foundText(found);
    case Outcome::NotRepaired: {
        QString text = failure;
        if (!actions.isEmpty())
            text += QStringLiteral(" Done: ") + actions.join(QLatin1Char(' '));
        return text + QStringLiteral(" Found: ") + foundText(found);
    }
    }
    return {};
}

TableResult checkTable(const QString& path)
{
    TableResult result;
    result.filePath = path;
    result.found = checkTableFile(path);
    result.tableName = result.found.tableName;
    result.outcome = result.found.isSound() ? TableResult::Outcome::Sound : TableResult::Outcome::Damaged;
    return result;
}

TableResult repairTable(const QString& path, const QDateTime& stamp)
{
    TableResult result = checkTable(path);
    if (result.outcome == TableResult::Outcome::Sound)
        return result;

    QStringList failures;
    TableCondition condition = result.found;
    if (condition.state == TableCondition::State::IndexDamage) {
        // Missing indexes alone need no rebuild of the others.
        const bool reindex = condition.problems.size() > condition.missingIndexes.size();
        if (const QString failed = mendIndexes(path, condition, reindex, result.actions); !failed.isEmpty())
            failures << failed;
        condition = checkTableFile(path);
    }
    if (condition.state == TableCondition::State::DataDamage
        || condition.state == TableCondition::State::Unreadable
        || (condition.state == TableCondition::State::IndexDamage && condition.missingIndexes.isEmpty())) {
        const RebuildResult rebuilt = rebuildTableFile(path, stamp);
        if (rebuilt.done) {
            failures.clear();
            result.actions << rebuildText(rebuilt);
            result.keptCopy = rebuilt.keptCopy;
            condition = checkTableFile(path);
            if (!condition.missingIndexes.isEmpty()) {
                if (const QString failed = mendIndexes(path, condition, false, result.actions);
                    !failed.isEmpty())
                    failures << failed;
                condition = checkTableFile(path);
            }
        } else {
            failures << rebuilt.error;
        }
    }

    result.tableName = condition.tableName;
    if (condition.isSound()) {
        result.outcome = TableResult::Outcome::Repaired;
    } else {
        result.outcome = TableResult::Outcome::NotRepaired;
        if (failures.isEmpty())
            failures << QStringLiteral("Damage remains: %1").arg(foundText(condition));
        result.failure = failures.join(QLatin1String("; "));
    }
    return result;
}

} // namespace corvane::repair
