#include "core/export/ExportText.h"

#include "core/data/SqlQuote.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <QXmlStreamWriter>

namespace corvane {

namespace {

QStringList columnNames(const ExportData& data)
{
    QStringList names;
    for (const ExportColumn& column : data.columns)
        names << column.name;
    return names;
}

QString csvField(const QString& text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"'))
        && !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString tabField(const QString& field)
{
    QString text = field;
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    for (QChar c : {QLatin1Char('\t'), QLatin1Char('\n'), QLatin1Char('\r')})
        text.replace(c, QLatin1Char(' '));
    return text;
}

QString machineText(const QVariant& value, ExportColumn::Type type)
{
    if (!value.isValid() || value.isNull())
        return {};
    if (type == ExportColumn::Type::Date)
        return value.toDate().toString(Qt::ISODate);
    return value.toString();
}

QString quotedName(const QString& name) { return SqlQuote::quoted(name, QLatin1Char('"')); }

// One line per row (after a header line when asked), each field written by
// `field` and joined by the separator.
QString delimited(const ExportData& data, const ExportOptions& options, QString (*field)(const QString&),
                  const QString& separator, const QString& lineEnd)
{
    QString out;
    const auto line = [&](const QStringList& fields) {
        QStringList written;
        for (const QString& f : fields)
            written << field(f);
        out += written.join(separator) + lineEnd;
    };
    if (options.headerRow)
        line(columnNames(data));
    for (const QVariantList& row : data.rows) {
        QStringList fields;
        for (int c = 0; c < data.columns.size(); ++c)
            fields << ExportText::displayText(row.value(c), data.columns.at(c).type, options);
        line(fields);
    }
    return out;
}

} // namespace

QString ExportText::displayText(const QVariant& value, ExportColumn::Type type, const ExportOptions& options)
{
    if (!value.isValid() || value.isNull())
        return {};
    if (type == ExportColumn::Type::Date)
        return options.dates.format(value.toDate());
    return value.toString();
}

QString ExportText::csv(const ExportData& data, const ExportOptions& options)
{
    return delimited(data, options, csvField, QStringLiteral(","), QStringLiteral("\r\n"));
}

QString ExportText::tabDelimited(const ExportData& data, const ExportOptions& options)
{
    return delimited(data, options, tabField, QStringLiteral("\t"), QStringLiteral("\n"));
}

QString ExportText::html(const ExportData& data, const ExportOptions& options)
{
    const QString title = options.title.toHtmlEscaped();
    QString out = QStringLiteral("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>") + title
        + QStringLiteral("</title></head><body>\n<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\">\n");
    if (!title.isEmpty())
        out += QStringLiteral("<caption><b>") + title + QStringLiteral("</b></caption>\n");
    if (options.headerRow) {
        out += QStringLiteral("<thead><tr>");
        for (const ExportColumn& column : data.columns)
            out += QStringLiteral("<th>") + column.name.toHtmlEscaped() + QStringLiteral("</th>");
        out += QStringLiteral("</tr></thead>\n");
    }
    out += QStringLiteral("<tbody>\n");
    for (const QVariantList& row : data.rows) {
        out += QStringLiteral("<tr>");
        for (int c = 0; c < data.columns.size(); ++c) {
            const ExportColumn::Type type = data.columns.at(c).type;
            const bool number = type == ExportColumn::Type::Integer || type == ExportColumn::Type::Float;
            out += (number ? QStringLiteral("<td align=\"right\">") : QStringLiteral("<td>"))
                + displayText(row.value(c), type, options).toHtmlEscaped() + QStringLiteral("</td>");
        }
        out += QStringLiteral("</tr>\n");
    }
    return out + QStringLiteral("</tbody>\n</table>\n</body></html>\n");
}

QString ExportText::xml(const ExportData& data, const ExportOptions& options)
{
    QString out;
    QXmlStreamWriter writer(&out);
    writer.setAutoFormatting(true);
    writer.writeStartDocument();
    writer.writeStartElement(QStringLiteral("Export"));
    writer.writeAttribute(QStringLiteral("title"), options.title);
    for (const QVariantList& row : data.rows) {
        writer.writeStartElement(QStringLiteral("Record"));
        for (int c = 0; c < data.columns.size(); ++c) {
            writer.writeStartElement(QStringLiteral("Field"));
            writer.writeAttribute(QStringLiteral("name"), data.columns.at(c).name);
            writer.writeCharacters(machineText(row.value(c), data.columns.at(c).type));
            writer.writeEndElement();
        }
        writer.writeEndElement();
    }
    writer.writeEndElement();
    writer.writeEndDocument();
    return out;
}

QString ExportText::json(const ExportData& data, const ExportOptions& options)
{
    Q_UNUSED(options);
    QJsonArray records;
    for (const QVariantList& row : data.rows) {
        QJsonObject record;
        for (int c = 0; c < data.columns.size(); ++c) {
            const ExportColumn& column = data.columns.at(c);
            const QVariant value = row.value(c);
            if (!value.isValid() || value.isNull())
                record.insert(column.name, QJsonValue::Null);
            else if (column.type == ExportColumn::Type::Integer)
                record.insert(column.name, value.toLongLong());
            else if (column.type == ExportColumn::Type::Float)
                record.insert(column.name, value.toDouble());
            else
                record.insert(column.name, machineText(value, column.type));
        }
        records.append(record);
    }
    return QString::fromUtf8(QJsonDocument(records).toJson(QJsonDocument::Indented));
}

QString ExportText::sqlInsert(const ExportData& data, const ExportOptions& options)
{
    const QString table = options.sqlTableName.isEmpty() ? data.name : options.sqlTableName;
    QStringList names;
    for (const ExportColumn& column : data.columns)
        names << quotedName(column.name);
    const QString head = QStringLiteral("INSERT INTO ") + quotedName(table) + QStringLiteral(" (")
        + names.join(QStringLiteral(", ")) + QStringLiteral(") VALUES (");
    QString out;
    for (const QVariantList& row : data.rows) {
        QStringList values;
        for (int c = 0; c < data.columns.size(); ++c) {
            const ExportColumn::Type type = data.columns.at(c).type;
            const QVariant value = row.value(c);
            if (!value.isValid() || value.isNull())
                values << QStringLiteral("NULL");
            else if (type == ExportColumn::Type::Integer || type == ExportColumn::Type::Float)
                values << value.toString();
            else if (type == ExportColumn::Type::Date)
                values << SqlQuote::date(value.toDate());
            else
                values << SqlQuote::quoted(value.toString());
        }
        out += head + values.join(QStringLiteral(", ")) + QStringLiteral(");\n");
    }
    return out;
}

} // namespace corvane
