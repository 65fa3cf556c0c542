#pragma once

#include "core/data/FieldDefs.h"

#include <QDateTime>
#include <QString>
#include <QVariant>

namespace corvane::FieldCodec {

// How a field type is declared in a table file, and back. The declared type
// also fixes SQLite's column affinity, so it is chosen to leave stored values
// alone: memos are declared "MEMO TEXT" (plain "MEMO" would turn a memo
// reading "123" into a number), the other types by their own names.
QString declaredType(const FieldDef& field);
// A field from a column's declared type. primaryKey marks the table's
// INTEGER PRIMARY KEY, which is how an AutoInc field is stored.
FieldDef fieldFromDeclared(const QString& name, const QString& declared, bool notNull = false,
                           bool primaryKey = false);
// A field for a result column without a declared type, from the SQLite
// storage class of its values (SQLITE_INTEGER ... SQLITE_NULL).
FieldDef fieldFromStorageClass(const QString& name, int storageClass);

// The stored form of a value written into a field: dates as "yyyy-mm-dd",
// times as "hh:mm:ss", date-times as a day count since 1899-12-30, flags as
// 0/1. An invalid QVariant (and an empty text in a non-text field) is NULL.
QVariant toStored(const FieldDef& field, const QVariant& value);
// The stored form of a value that has no field to go by (filter, range and
// key values are converted by their own Qt type).
QVariant toStored(const QVariant& value);
// A stored value as the field's type reads it (see Dataset::value).
QVariant fromStored(FieldType type, const QVariant& stored);

double toDayCount(const QDateTime& dateTime);
QDateTime fromDayCount(double days);

} // namespace corvane::FieldCodec
