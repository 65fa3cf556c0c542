#include "core/export/ExportFile.h"

#include "core/export/ExportText.h"
#include "core/export/ExportXlsx.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cstdio>

namespace corvane {

const QList<ExportFormatInfo>& ExportFile::formats()
{
    static const QList<ExportFormatInfo> list = {
        {ExportFormat::Xlsx, QStringLiteral("Excel workbook (*.xlsx)"), QStringLiteral("xlsx")},
        {ExportFormat::Csv, QStringLiteral("Comma-separated values (*.csv)"), QStringLiteral("csv")},
        {ExportFormat::TabDelimited, QStringLiteral("Tab-delimited text (*.txt)"), QStringLiteral("txt")},
        {ExportFormat::Html, QStringLiteral("HTML page (*.html)"), QStringLiteral("html")},
        {ExportFormat::Xml, QStringLiteral("XML document (*.xml)"), QStringLiteral("xml")},
        {ExportFormat::Json, QStringLiteral("JSON document (*.json)"), QStringLiteral("json")},
        {ExportFormat::Sql, QStringLiteral("SQL INSERT statements (*.sql)"), QStringLiteral("sql")},
        {ExportFormat::Pdf, QStringLiteral("PDF document (*.pdf)"), QStringLiteral("pdf")},
        {ExportFormat::Clipboard, QStringLiteral("Clipboard"), QString()},
    };
    return list;
}

const ExportFormatInfo& ExportFile::info(ExportFormat format)
{
    for (const ExportFormatInfo& i : formats()) {
        if (i.format == format)
            return i;
    }
    return formats().first();
}

QString ExportFile::withExtension(const QString& fileName, ExportFormat format)
{
    const QString extension = info(format).extension;
    if (fileName.isEmpty() || extension.isEmpty())
        return fileName;
    const QFileInfo file(fileName);
    QString base = fileName;
    for (const ExportFormatInfo& i : formats()) {
        if (!i.extension.isEmpty() && file.suffix().compare(i.extension, Qt::CaseInsensitive) == 0) {
            base.chop(i.extension.size() + 1);
            break;
        }
    }
    return base + QLatin1Char('.') + extension;
}

QString ExportFile::text(ExportFormat format, const ExportData& data, const ExportOptions& options)
{
    switch (format) {
    case ExportFormat::Csv: return ExportText::csv(data, options);
    case ExportFormat::TabDelimited: return ExportText::tabDelimited(data, options);
    case ExportFormat::Html: return ExportText::html(data, options);
    case ExportFormat::Xml: return ExportText::xml(data, options);
    case ExportFormat::Json: return ExportText::json(data, options);
    case ExportFormat::Sql: return ExportText::sqlInsert(data, options);
    default: return {};
    }
}

QString ExportFile::write(ExportFormat format, const ExportData& data, const ExportOptions& options,
                          const QString& path)
{
    if (path.trimmed().isEmpty())
        return QStringLiteral("No file name was given for the export.");
    const QFileInfo target(path);
    if (!target.absoluteDir().exists())
        return QStringLiteral("The folder %1 does not exist.")
            .arg(QDir::toNativeSeparators(target.absolutePath()));

    if (format == ExportFormat::Xlsx) {
        const QString partial = path + QStringLiteral(".part");
        const QString error = ExportXlsx::write(data, options, partial);
        if (!error.isEmpty()) {
            QFile::remove(partial);
            return error;
        }
        // rename() replaces the target in one step.
        if (std::rename(QFile::encodeName(partial).constData(), QFile::encodeName(path).constData()) != 0) {
            QFile::remove(partial);
            return QStringLiteral("The file %1 cannot be written.").arg(path);
        }
        return {};
    }

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QStringLiteral("The file %1 cannot be written: %2").arg(path, file.errorString());
    file.write(text(format, data, options).toUtf8());
    if (!file.commit())
        return QStringLiteral("The file %1 cannot be written: %2").arg(path, file.errorString());
    return {};
}

} // namespace corvane
