#include "core/query/ScriptCheck.h"

#include "core/data/Dataset.h"
#include "core/data/FieldCodec.h"

namespace corvane::ScriptCheck {

QString statement(bool belowDepth, bool unique)
{
    if (unique)
        return belowDepth
            ? QStringLiteral("SELECT DISTINCT Completed, SE3Name, STName, Min(LastRecord) LastRecord "
                             "FROM CVEngine WHERE LastRecord < Depth GROUP BY SE3Name ORDER BY "
                             "LastRecord")
            : QStringLiteral("SELECT DISTINCT Completed, SE3Name, STName, Min(LastRecord) LastRecord "
                             "FROM CVEngine GROUP BY SE3Name ORDER BY LastRecord");
    return belowDepth ? QStringLiteral("SELECT * FROM CVEngine WHERE LastRecord < Depth ORDER BY LastRecord")
                      : QStringLiteral("SELECT * FROM CVEngine ORDER BY LastRecord");
}

const QStringList& headings()
{
    static const QStringList list{QStringLiteral("Completed"), QStringLiteral("Search Engine"),
                                  QStringLiteral("Search Term"), QStringLiteral("Last Record")};
    return list;
}

QString countText(int count) { return QStringLiteral("Showing %1 records").arg(count); }

QDate lastRun(Database& general)
{
    Query query(&general, QStringLiteral("SELECT Max(LastRun) AS LastRun FROM CVProject"));
    query.open();
    const QVariant value = query.value(QStringLiteral("LastRun"));
    if (!value.isValid() || value.toDouble() < 1.0)
        return {};
    return FieldCodec::fromDayCount(value.toDouble()).date();
}

} // namespace corvane::ScriptCheck
