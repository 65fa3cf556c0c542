#include "core/data/FieldCodec.h"

#include <QByteArray>

#include <algorithm>
#include <cmath>
#include <limits>
#include <sqlite3.h>

namespace corvane::FieldCodec {

namespace {

const QDate& dayZero()
{
    static const QDate zero(1899, 12, 30);
    return zero;
}

QDate parseDate(const QString& text)
{
    // The stored form "yyyy-mm-dd" by hand: QDate::fromString with a format
    // builds a parser on every call.
    if (text.size() == 10 && text.at(4) == QLatin1Char('-') && text.at(7) == QLatin1Char('-')) {
        const auto digits = [&](int from, int count) {
            int n = 0;
            for (int i = from; i < from + count; ++i) {
                const char16_t c = text.at(i).unicode();
                if (c < u'0' || c > u'9')
                    return -1;
                n = n * 10 + (c - u'0');
            }
            return n;
        };
        const int y = digits(0, 4);
        const int m = digits(5, 2);
        const int d = digits(8, 2);
        if (y >= 0 && m >= 0 && d >= 0) {
            const QDate fast(y, m, d);
            if (fast.isValid())
                return fast;
        }
    }
    QDate date = QDate::fromString(text.left(10), QStringLiteral("yyyy-MM-dd"));
    if (!date.isValid())
        date = QDate::fromString(text, Qt::ISODate);
    return date;
}

QTime parseTime(const QString& text)
{
    static const QLatin1String formats[] = {QLatin1String("hh:mm:ss"), QLatin1String("hh:mm:ss.zzz"),
                                            QLatin1String("hh:mm"), QLatin1String("h:mm:ss")};
    for (const QLatin1String& format : formats) {
        const QTime time = QTime::fromString(text, format);
        if (time.isValid())
            return time;
    }
    return {};
}

bool isNumber(const QVariant& v)
{
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Long:
    case QMetaType::Short:
    case QMetaType::Double:
    case QMetaType::Float: return true;
    default: return false;
    }
}

// The type a field's values are read as (integers that fit read as int).
int readTypeId(FieldType type)
{
    switch (type) {
    case FieldType::String:
    case FieldType::Memo: return QMetaType::QString;
    case FieldType::Graphic: return QMetaType::QByteArray;
    case FieldType::Integer:
    case FieldType::AutoInc: return QMetaType::Int;
    case FieldType::Float: return QMetaType::Double;
    case FieldType::Boolean: return QMetaType::Bool;
    case FieldType::Date: return QMetaType::QDate;
    case FieldType::Time: return QMetaType::QTime;
    case FieldType::DateTime: return QMetaType::QDateTime;
    }
    return QMetaType::UnknownType;
}

QVariant integerValue(qint64 n)
{
    if (n >= std::numeric_limits<int>::min() && n <= std::numeric_limits<int>::max())
        return QVariant(int(n));
    return QVariant(qlonglong(n));
}

} // namespace

double toDayCount(const QDateTime& dateTime)
{
    const double days = double(dayZero().daysTo(dateTime.date()));
    return days + dateTime.time().msecsSinceStartOfDay() / 86400000.0;
}

QDateTime fromDayCount(double days)
{
    const double whole = std::floor(days);
    const qint64 msecs = qRound64((days - whole) * 86400000.0);
    QDateTime result(dayZero().addDays(qint64(whole)), QTime(0, 0));
    return result.addMSecs(msecs);
}

QString declaredType(const FieldDef& field)
{
    switch (field.type) {
    case FieldType::String:
        return field.size > 0 ? QStringLiteral("VARCHAR(%1)").arg(field.size) : QStringLiteral("TEXT");
    case FieldType::Integer: return QStringLiteral("INTEGER");
    case FieldType::Float: return QStringLiteral("REAL");
    case FieldType::Boolean: return QStringLiteral("BOOLEAN");
    case FieldType::Date: return QStringLiteral("DATE");
    case FieldType::Time: return QStringLiteral("TIME");
    case FieldType::DateTime: return QStringLiteral("DATETIME");
    case FieldType::Memo: return QStringLiteral("MEMO TEXT");
    case FieldType::Graphic: return QStringLiteral("GRAPHIC");
    case FieldType::AutoInc: return QStringLiteral("INTEGER");
    }
    return QStringLiteral("TEXT");
}

namespace {

// The width of a declared text type such as "VARCHAR(32)"; 0 for any other.
// Read by hand: this runs for every column of every query opened.
int stringWidth(const QString& upperDeclared)
{
    const int open = int(upperDeclared.indexOf(QLatin1Char('(')));
    if (open <= 0)
        return 0;
    const QString head = upperDeclared.left(open).trimmed();
    static const QLatin1String textTypes[] = {
        QLatin1String("VARCHAR"),   QLatin1String("NVARCHAR"),          QLatin1String("CHAR"),
        QLatin1String("CHARACTER"), QLatin1String("VARYING CHARACTER"), QLatin1String("STRING")};
    if (std::none_of(std::begin(textTypes), std::end(textTypes),
                     [&head](QLatin1String t) { return head == t; }))
        return 0;
    int width = 0;
    int i = open + 1;
    while (i < upperDeclared.size() && upperDeclared.at(i) == QLatin1Char(' '))
        ++i;
    for (; i < upperDeclared.size() && upperDeclared.at(i).isDigit(); ++i)
        width = width * 10 + upperDeclared.at(i).digitValue();
    return width;
}

} // namespace

FieldDef fieldFromDeclared(const QString& name, const QString& declared, bool notNull, bool primaryKey)
{
    FieldDef f;
    f.name = name;
    f.required = notNull;
    const QString t = declared.trimmed().toUpper();
    if (primaryKey && t == QLatin1String("INTEGER")) {
        f.type = FieldType::AutoInc;
        f.required = false;
    } else if (const int width = stringWidth(t); width > 0) {
        f.type = FieldType::String;
        f.size = width;
    } else if (t.startsWith(QLatin1String("MEMO")) || t == QLatin1String("CLOB")
               || t == QLatin1String("LONGTEXT")) {
        f.type = FieldType::Memo;
    } else if (t.startsWith(QLatin1String("GRAPHIC")) || t.startsWith(QLatin1String("BLOB"))
               || t.startsWith(QLatin1String("BINARY"))) {
        f.type = FieldType::Graphic;
    } else if (t.startsWith(QLatin1String("BOOL")) || t == QLatin1String("LOGICAL")) {
        f.type = FieldType::Boolean;
    } else if (t == QLatin1String("DATETIME") || t == QLatin1String("TIMESTAMP")) {
        f.type = FieldType::DateTime;
    } else if (t == QLatin1String("DATE")) {
        f.type = FieldType::Date;
    } else if (t == QLatin1String("TIME")) {
        f.type = FieldType::Time;
    } else if (t == QLatin1String("AUTOINC")) {
        f.type = FieldType::AutoInc;
    } else if (t.contains(QLatin1String("INT"))) {
        f.type = FieldType::Integer;
    } else if (t.startsWith(QLatin1String("REAL")) || t.startsWith(QLatin1String("FLOA"))
               || t.startsWith(QLatin1String("DOUB")) || t.startsWith(QLatin1String("NUM"))
               || t.startsWith(QLatin1String("DEC")) || t == QLatin1String("CURRENCY")
               || t == QLatin1String("MONEY")) {
        f.type = FieldType::Float;
    } else {
        f.type = FieldType::String;
    }
    return f;
}

FieldDef fieldFromStorageClass(const QString& name, int storageClass)
{
    FieldDef f;
    f.name = name;
    switch (storageClass) {
    case SQLITE_INTEGER: f.type = FieldType::Integer; break;
    case SQLITE_FLOAT: f.type = FieldType::Float; break;
    case SQLITE_BLOB: f.type = FieldType::Graphic; break;
    default: f.type = FieldType::String; break;
    }
    return f;
}

QVariant toStored(const QVariant& value)
{
    if (!value.isValid() || value.isNull())
        return {};
    switch (value.typeId()) {
    case QMetaType::Bool: return QVariant(value.toBool() ? 1 : 0);
    case QMetaType::QDate: return value.toDate().toString(QStringLiteral("yyyy-MM-dd"));
    case QMetaType::QTime: return value.toTime().toString(QStringLiteral("hh:mm:ss"));
    case QMetaType::QDateTime: return toDayCount(value.toDateTime());
    case QMetaType::QChar: return QString(value.toChar());
    default: return value;
    }
}

QVariant toStored(const FieldDef& field, const QVariant& value)
{
    if (!value.isValid() || value.isNull())
        return {};
    const bool text = value.typeId() == QMetaType::QString;
    const QString s = text ? value.toString() : QString();
    switch (field.type) {
    case FieldType::String: {
        QString v = value.typeId() == QMetaType::QDate ? value.toDate().toString(QStringLiteral("yyyy-MM-dd"))
            : value.typeId() == QMetaType::QTime       ? value.toTime().toString(QStringLiteral("hh:mm:ss"))
                                                       : value.toString();
        // A string field keeps its declared width, as the column's readers expect.
        if (field.size > 0 && v.size() > field.size)
            v.truncate(field.size);
        return v;
    }
    case FieldType::Memo: return value.toString();
    case FieldType::Graphic: return value.toByteArray();
    case FieldType::Integer:
    case FieldType::AutoInc: {
        if (text && s.trimmed().isEmpty())
            return {};
        if (value.typeId() == QMetaType::Bool)
            return QVariant(value.toBool() ? 1 : 0);
        bool ok = false;
        const qlonglong n = value.toLongLong(&ok);
        if (ok)
            return integerValue(n);
        const double d = value.toDouble(&ok);
        return ok ? integerValue(qint64(std::llround(d))) : value;
    }
    case FieldType::Float: {
        if (text && s.trimmed().isEmpty())
            return {};
        bool ok = false;
        const double d = value.toDouble(&ok);
        return ok ? QVariant(d) : value;
    }
    case FieldType::Boolean: {
        if (text) {
            const QString t = s.trimmed().toUpper();
            if (t.isEmpty())
                return {};
            return QVariant((t == QLatin1String("TRUE") || t == QLatin1String("T")
                             || t == QLatin1String("YES") || (t.toLongLong() != 0))
                                ? 1
                                : 0);
        }
        return QVariant(value.toBool() ? 1 : 0);
    }
    case FieldType::Date: {
        if (value.typeId() == QMetaType::QDate)
            return value.toDate().isValid() ? QVariant(value.toDate().toString(QStringLiteral("yyyy-MM-dd")))
                                            : QVariant();
        if (value.typeId() == QMetaType::QDateTime)
            return value.toDateTime().date().toString(QStringLiteral("yyyy-MM-dd"));
        if (isNumber(value))
            return fromDayCount(value.toDouble()).date().toString(QStringLiteral("yyyy-MM-dd"));
        if (text && s.trimmed().isEmpty())
            return {};
        return value.toString();
    }
    case FieldType::Time: {
        if (value.typeId() == QMetaType::QTime)
            return value.toTime().isValid() ? QVariant(value.toTime().toString(QStringLiteral("hh:mm:ss")))
                                            : QVariant();
        if (value.typeId() == QMetaType::QDateTime)
            return value.toDateTime().time().toString(QStringLiteral("hh:mm:ss"));
        if (isNumber(value))
            return fromDayCount(value.toDouble()).time().toString(QStringLiteral("hh:mm:ss"));
        if (text && s.trimmed().isEmpty())
            return {};
        return value.toString();
    }
    case FieldType::DateTime: {
        if (value.typeId() == QMetaType::QDateTime)
            return value.toDateTime().isValid() ? QVariant(toDayCount(value.toDateTime())) : QVariant();
        if (value.typeId() == QMetaType::QDate)
            return value.toDate().isValid() ? QVariant(toDayCount(value.toDate().startOfDay())) : QVariant();
        if (text) {
            if (s.trimmed().isEmpty())
                return {};
            const QDateTime dt = QDateTime::fromString(s, Qt::ISODate);
            if (dt.isValid())
                return toDayCount(dt);
        }
        bool ok = false;
        const double d = value.toDouble(&ok);
        return ok ? QVariant(d) : value;
    }
    }
    return value;
}

QVariant fromStored(FieldType type, const QVariant& stored)
{
    // The common case first: a value already in the form it is read in.
    const int storedType = stored.typeId();
    if (storedType == readTypeId(type))
        return stored;
    if (!stored.isValid() || stored.isNull())
        return {};
    const bool text = storedType == QMetaType::QString;
    if (storedType == QMetaType::LongLong && (type == FieldType::Integer || type == FieldType::AutoInc))
        return integerValue(stored.toLongLong());
    switch (type) {
    case FieldType::String:
    case FieldType::Memo:
        if (storedType == QMetaType::QByteArray)
            return QString::fromUtf8(stored.toByteArray());
        return stored.toString();
    case FieldType::Graphic: return stored.toByteArray();
    case FieldType::Integer:
    case FieldType::AutoInc: {
        bool ok = false;
        const qlonglong n = stored.toLongLong(&ok);
        if (ok)
            return integerValue(n);
        const double d = stored.toDouble(&ok);
        return ok ? integerValue(qint64(std::llround(d))) : stored;
    }
    case FieldType::Float: {
        bool ok = false;
        const double d = stored.toDouble(&ok);
        return ok ? QVariant(d) : stored;
    }
    case FieldType::Boolean:
        if (text) {
            const QString t = stored.toString().trimmed().toUpper();
            return t == QLatin1String("TRUE") || t == QLatin1String("T") || t == QLatin1String("YES")
                || t.toLongLong() != 0;
        }
        return stored.toLongLong() != 0;
    case FieldType::Date:
        if (text)
            return parseDate(stored.toString());
        return fromDayCount(stored.toDouble()).date();
    case FieldType::Time:
        if (text)
            return parseTime(stored.toString());
        return fromDayCount(stored.toDouble()).time();
    case FieldType::DateTime:
        if (text) {
            const QString s = stored.toString();
            QDateTime dt = QDateTime::fromString(s, Qt::ISODate);
            if (!dt.isValid())
                dt = QDateTime::fromString(s, QStringLiteral("yyyy-MM-dd hh:mm:ss"));
            if (!dt.isValid() && parseDate(s).isValid())
                dt = parseDate(s).startOfDay();
            return dt;
        }
        return fromDayCount(stored.toDouble());
    }
    return stored;
}

} // namespace corvane::FieldCodec
