#include "core/repair/TableCheck.h"

#include "core/data/Schema.h"
#include "core/data/TableFile.h"
#include "core/repair/RawTableFile.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <sqlite3.h>

namespace corvane::repair {

namespace {

// The integrity check stops after this many findings.
constexpr int MostProblems = 100;

// Findings that concern an index alone, which rebuilding the index mends:
// "row 7 missing from index X", "wrong # of entries in index X",
// "non-unique entry in index X".
bool concernsIndexOnly(const QString& finding)
{
    static const QRegularExpression indexFinding(QStringLiteral(
        "^(row \\d+ missing from index |wrong # of entries in index |non-unique entry in index )"));
    return indexFinding.match(finding).hasMatch();
}

// The table's name as the file holds it; empty with a problem noted when the
// file has no such table or its table list cannot be read.
QString storedTableName(RawTableFile& file, const QString& wanted, TableCondition& condition)
{
    Statement find = file.prepare(
        QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name = ?1 COLLATE NOCASE"));
    if (find.isNull()) {
        condition.problems
            << QStringLiteral("The file is not a readable table file: %1").arg(file.lastError());
        return {};
    }
    find.bind(1, wanted);
    const int rc = find.step();
    if (rc == SQLITE_ROW)
        return find.column(0).toString();
    if (rc == SQLITE_DONE)
        condition.problems << QStringLiteral("The file holds no table \"%1\".").arg(wanted);
    else
        condition.problems
            << QStringLiteral("The file's list of tables cannot be read: %1").arg(file.lastError());
    return {};
}

QStringList missingSchemaIndexes(RawTableFile& file, const QString& tableName)
{
    QStringList missing;
    const TableDef* def = Schema::table(tableName);
    if (!def)
        return missing;
    Statement find = file.prepare(
        QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'index' AND name = ?1 COLLATE NOCASE"));
    if (find.isNull())
        return missing;
    for (const IndexDef& index : def->indexes) {
        find.reset();
        find.bind(1, index.name);
        if (find.step() == SQLITE_DONE)
            missing << index.name;
    }
    return missing;
}

// For a table the program protects with its password: why the stored
// password record does not fit; empty when it does (or the table has none).
QString passwordFault(RawTableFile& file, const QString& tableName)
{
    const TableDef* def = Schema::table(tableName);
    if (!def || !def->passwordProtected)
        return {};
    Statement read = file.prepare(QStringLiteral("SELECT value FROM ") + QLatin1String(TableFile::MetaTable)
                                  + QStringLiteral(" WHERE key = 'password'"));
    if (read.isNull())
        return QStringLiteral("The table's password record cannot be read: %1").arg(file.lastError());
    if (read.step() != SQLITE_ROW)
        return QStringLiteral("The table has no password record.");
    if (read.column(0).toString() != TableFile::passwordHash(QLatin1String(Schema::SE3Password)))
        return QStringLiteral("The table's password record does not fit the program's password.");
    return {};
}

} // namespace

QString tableNameOf(const QString& path)
{
    const QString name = QFileInfo(path).fileName();
    return name.endsWith(QLatin1String(".dat"), Qt::CaseInsensitive) ? name.chopped(4) : name;
}

TableCondition checkTableFile(const QString& path)
{
    TableCondition condition;
    condition.tableName = tableNameOf(path);

    RawTableFile file(path, RawTableFile::Open::ReadOnly);
    if (!file.isOpen()) {
        condition.state = TableCondition::State::Unreadable;
        condition.problems << QStringLiteral("The file cannot be opened: %1").arg(file.openError());
        return condition;
    }
    const QString stored = storedTableName(file, condition.tableName, condition);
    if (stored.isEmpty()) {
        condition.state = TableCondition::State::Unreadable;
        return condition;
    }
    condition.tableName = stored;

    bool dataDamage = false;
    bool indexDamage = false;
    Statement check = file.prepare(QStringLiteral("PRAGMA integrity_check(%1)").arg(MostProblems));
    if (check.isNull()) {
        condition.problems << file.lastError();
        dataDamage = true;
    } else {
        int rc = SQLITE_ROW;
        while ((rc = check.step()) == SQLITE_ROW) {
            const QString finding = check.column(0).toString();
            if (finding == QLatin1String("ok"))
                continue;
            condition.problems << finding;
            (concernsIndexOnly(finding) ? indexDamage : dataDamage) = true;
        }
        if (rc != SQLITE_DONE) {
            condition.problems << file.lastError();
            dataDamage = true;
        }
    }

    if (const QString fault = passwordFault(file, condition.tableName); !fault.isEmpty()) {
        condition.problems << fault;
        dataDamage = true;
    }

    condition.missingIndexes = missingSchemaIndexes(file, condition.tableName);
    for (const QString& index : condition.missingIndexes)
        condition.problems << QStringLiteral("Index \"%1\" is missing.").arg(index);

    if (dataDamage)
        condition.state = TableCondition::State::DataDamage;
    else if (indexDamage || !condition.missingIndexes.isEmpty())
        condition.state = TableCondition::State::IndexDamage;
    return condition;
}

} // namespace corvane::repair
