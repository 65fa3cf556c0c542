#include "core/settings/EngineValues.h"

#include "core/data/Connection.h"
#include "core/data/Dataset.h"
#include "core/data/Schema.h"
#include "core/data/TableDatabase.h"

#include <algorithm>

namespace corvane {

EngineValues::EngineValues(const QString& dataFolder)
    : m_session(std::make_unique<Session>(QStringLiteral("EngineValuesSession")))
    , m_db(std::make_unique<Database>(QStringLiteral("EngineValuesDB"), m_session.get()))
{
    m_session->addPassword(QLatin1String(Schema::SE3Password));
    m_db->setDirectory(dataFolder);
    m_db->connect();
}

EngineValues::~EngineValues() = default;

QList<EngineValues::Row> EngineValues::read()
{
    Table se3(m_db.get(), QStringLiteral("SE3"));
    se3.open();
    QList<Row> rows;
    for (se3.first(); !se3.eof(); se3.next())
        rows.append({se3.asString(QStringLiteral("Name")), se3.asInteger(QStringLiteral("Delay")),
                     se3.asInteger(QStringLiteral("Delay2")), se3.asInteger(QStringLiteral("EngineInc"))});
    se3.close();
    std::sort(rows.begin(), rows.end(),
              [](const Row& a, const Row& b) { return a.name.compare(b.name, Qt::CaseInsensitive) < 0; });
    return rows;
}

QStringList EngineValues::apiEngines()
{
    Table se3(m_db.get(), QStringLiteral("SE3"));
    se3.open();
    QStringList names;
    for (se3.first(); !se3.eof(); se3.next())
        if (se3.asBoolean(QStringLiteral("API")))
            names << se3.asString(QStringLiteral("Name"));
    se3.close();
    std::sort(names.begin(), names.end(),
              [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    return names;
}

QStringList EngineValues::delayProblems(const QList<Row>& rows)
{
    QStringList lines;
    for (const Row& r : rows) {
        for (const auto& [column, value] : {std::pair{"Delay", r.delay}, std::pair{"Delay2", r.delay2}})
            if (value < 0 || value > MaximumDelay)
                lines << QStringLiteral("%1: %2 must be from 0 to %3 milliseconds; %4 is not.")
                             .arg(r.name, QLatin1String(column))
                             .arg(MaximumDelay)
                             .arg(value);
    }
    return lines;
}

QStringList EngineValues::engineIncProblems(const QList<Row>& rows)
{
    QStringList lines;
    for (const Row& r : rows)
        if (r.engineInc < 0 || r.engineInc > MaximumEngineInc)
            lines << QStringLiteral("%1: EngineInc must be from 0 to %2; %3 is not.")
                         .arg(r.name)
                         .arg(MaximumEngineInc)
                         .arg(r.engineInc);
    return lines;
}

QStringList EngineValues::writeDelays(const QList<Row>& rows) { return write(rows, true); }

QStringList EngineValues::writeEngineInc(const QList<Row>& rows) { return write(rows, false); }

QStringList EngineValues::write(const QList<Row>& rows, bool delays)
{
    const QStringList problems = delays ? delayProblems(rows) : engineIncProblems(rows);
    if (!problems.isEmpty())
        return problems;
    const QString table = QStringLiteral("SE3");
    Connection connection;
    connection.setLockSettings(m_session->lockSettings());
    connection.attach(*m_db, table);
    // Every engine or none: one transaction.
    connection.exec(QStringLiteral("BEGIN IMMEDIATE"), table);
    try {
        Statement update =
            connection.prepare(delays ? QStringLiteral("UPDATE SE3 SET Delay = ?, Delay2 = ? WHERE Name = ?")
                                      : QStringLiteral("UPDATE SE3 SET EngineInc = ? WHERE Name = ?"),
                               table);
        for (const Row& r : rows) {
            update.bindAll(delays ? QVariantList{r.delay, r.delay2, r.name}
                                  : QVariantList{r.engineInc, r.name});
            connection.run(update, table);
            update.reset();
        }
        connection.exec(QStringLiteral("COMMIT"), table);
    } catch (...) {
        connection.exec(QStringLiteral("ROLLBACK"), table);
        throw;
    }
    return {};
}

namespace AdvancedThrottle {

QList<int> parse(const QString& schedule, int throttle)
{
    const QStringList parts = schedule.split(QLatin1Char(','));
    QList<int> factors;
    if (parts.size() == Hours) {
        for (const QString& part : parts) {
            bool ok = false;
            const int value = part.trimmed().toInt(&ok);
            if (!ok || value < 1 || value > 10)
                break;
            factors << value;
        }
    }
    if (factors.size() != Hours)
        factors = QList<int>(Hours, std::clamp(throttle, 1, 10));
    return factors;
}

QString format(const QList<int>& factors)
{
    QStringList parts;
    for (int f : factors)
        parts << QString::number(f);
    return parts.join(QLatin1Char(','));
}

} // namespace AdvancedThrottle

} // namespace corvane
