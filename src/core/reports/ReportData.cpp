#include "core/reports/ReportData.h"

#include "core/data/Dataset.h"
#include "core/data/TableDatabase.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QTime>

namespace corvane::reports {

namespace {

QString displayText(const ReportColumn& column, const QVariant& value)
{
    if (!value.isValid() || value.isNull())
        return {};
    const QLocale locale;
    switch (column.type) {
    case FieldType::Date: return locale.toString(value.toDate(), QLocale::ShortFormat);
    case FieldType::Time: return locale.toString(value.toTime(), QLocale::ShortFormat);
    case FieldType::DateTime: return locale.toString(value.toDateTime(), QLocale::ShortFormat);
    case FieldType::Boolean: return value.toBool() ? QStringLiteral("Yes") : QStringLiteral("No");
    case FieldType::Float: return QString::number(value.toDouble(), 'g', 15);
    case FieldType::Graphic: return QStringLiteral("(picture)");
    default: return value.toString();
    }
}

bool isNumberType(FieldType type)
{
    return type == FieldType::Integer || type == FieldType::Float || type == FieldType::AutoInc;
}

// True when the column holds at least one value and every value is a number.
bool holdsNumbersOnly(const ReportData& data, int column)
{
    bool any = false;
    for (const QStringList& row : data.rows) {
        const QString& text = row.at(column);
        if (text.isEmpty())
            continue;
        bool ok = false;
        text.toDouble(&ok);
        if (!ok)
            return false;
        any = true;
    }
    return any;
}

} // namespace

int ReportData::columnIndex(const QString& field) const
{
    for (int i = 0; i < columns.size(); ++i) {
        if (columns.at(i).field.compare(field, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QString fieldCaption(const QString& fieldName)
{
    QString name = fieldName;
    if (name.size() > 1 && name.at(0) == QLatin1Char('x') && name.at(1).isUpper())
        name.remove(0, 1);
    name.replace(QLatin1Char('_'), QLatin1Char(' '));
    QString caption;
    for (int i = 0; i < name.size(); ++i) {
        const QChar c = name.at(i);
        if (i > 0 && c.isUpper() && !caption.endsWith(QLatin1Char(' '))) {
            const QChar before = name.at(i - 1);
            const bool afterLower = before.isLower() || before.isDigit();
            const bool endsCapitals = before.isUpper() && i + 1 < name.size() && name.at(i + 1).isLower();
            if (afterLower || endsCapitals)
                caption += QLatin1Char(' ');
        }
        caption += c;
    }
    return caption.simplified();
}

ReportData readReportData(Database& database, const QString& tableName)
{
    Table table(&database, tableName);
    table.open();
    ReportData data;
    for (const FieldDef& field : table.fields()) {
        ReportColumn column;
        column.field = field.name;
        column.caption = fieldCaption(field.name);
        column.type = field.type;
        column.memo = field.type == FieldType::Memo;
        data.columns << column;
    }
    for (table.first(); !table.eof(); table.next()) {
        QStringList row;
        for (const ReportColumn& column : data.columns)
            row << displayText(column, table.value(column.field));
        data.rows << row;
    }
    table.close();
    for (int i = 0; i < data.columns.size(); ++i) {
        ReportColumn& column = data.columns[i];
        column.numeric =
            isNumberType(column.type) || (column.type == FieldType::String && holdsNumbersOnly(data, i));
    }
    return data;
}

} // namespace corvane::reports
