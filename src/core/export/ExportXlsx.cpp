#include "core/export/ExportXlsx.h"

#include <QByteArray>

#include <xlsxwriter.h>

namespace corvane {

namespace {

// A sheet name Excel accepts: at most 31 characters, none of []:*?/\ .
QByteArray sheetName(const QString& title)
{
    QString name = title.isEmpty() ? QStringLiteral("Export") : title;
    for (QChar c : {QLatin1Char('['), QLatin1Char(']'), QLatin1Char(':'), QLatin1Char('*'), QLatin1Char('?'),
                    QLatin1Char('/'), QLatin1Char('\\')})
        name.replace(c, QLatin1Char(' '));
    return name.left(31).toUtf8();
}

} // namespace

QString ExportXlsx::write(const ExportData& data, const ExportOptions& options, const QString& path)
{
    const QByteArray file = path.toLocal8Bit();
    lxw_workbook* workbook = workbook_new(file.constData());
    if (!workbook)
        return QStringLiteral("The workbook %1 cannot be created.").arg(path);
    lxw_worksheet* sheet = workbook_add_worksheet(workbook, sheetName(options.title).constData());
    lxw_format* bold = workbook_add_format(workbook);
    format_set_bold(bold);
    lxw_format* dateFormat = workbook_add_format(workbook);
    const QByteArray datePattern = options.dates.spreadsheetFormat().toUtf8();
    format_set_num_format(dateFormat, datePattern.constData());

    lxw_row_t row = 0;
    if (options.headerRow) {
        for (int c = 0; c < data.columns.size(); ++c)
            worksheet_write_string(sheet, row, lxw_col_t(c), data.columns.at(c).name.toUtf8().constData(),
                                   bold);
        ++row;
    }
    for (const QVariantList& values : data.rows) {
        for (int c = 0; c < data.columns.size(); ++c) {
            const QVariant value = values.value(c);
            if (!value.isValid() || value.isNull())
                continue;
            const lxw_col_t col = lxw_col_t(c);
            switch (data.columns.at(c).type) {
            case ExportColumn::Type::Integer:
            case ExportColumn::Type::Float:
                worksheet_write_number(sheet, row, col, value.toDouble(), nullptr);
                break;
            case ExportColumn::Type::Date: {
                const QDate date = value.toDate();
                lxw_datetime when{date.year(), date.month(), date.day(), 0, 0, 0.0};
                worksheet_write_datetime(sheet, row, col, &when, dateFormat);
                break;
            }
            case ExportColumn::Type::Text:
                worksheet_write_string(sheet, row, col, value.toString().toUtf8().constData(), nullptr);
                break;
            }
        }
        ++row;
    }
    const lxw_error result = workbook_close(workbook);
    if (result != LXW_NO_ERROR)
        return QStringLiteral("The workbook %1 cannot be written: %2")
            .arg(path, QString::fromUtf8(lxw_strerror(result)));
    return {};
}

} // namespace corvane
