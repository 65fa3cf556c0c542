#include "core/livecheck/DuvudaResultFile.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace corvane {

namespace {

const QLatin1String FormatName("Duvuda Duvedozo results");
constexpr int FormatVersion = 1;

QString damaged(const QString& path, const QString& reason)
{
    return QStringLiteral("The file %1 is not a readable Duvuda Duvedozo file: %2")
        .arg(QDir::toNativeSeparators(path), reason);
}

} // namespace

QString DuvudaResultFile::save(const QString& path, const QList<DuvudaResultRow>& rows)
{
    QJsonArray columns;
    for (const QString& header : DuvudaResultRow::headers())
        columns.append(header);
    QJsonArray rowArray;
    for (const DuvudaResultRow& row : rows) {
        if (row.isBlank())
            continue;
        QJsonArray cells;
        for (const QString& cell : row.cells)
            cells.append(cell);
        rowArray.append(QJsonObject{{QStringLiteral("date"), row.date.toString(Qt::ISODate)},
                                    {QStringLiteral("cells"), cells}});
    }
    const QJsonObject document{{QStringLiteral("format"), FormatName},
                               {QStringLiteral("version"), FormatVersion},
                               {QStringLiteral("columns"), columns},
                               {QStringLiteral("rows"), rowArray}};

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QStringLiteral("The file %1 cannot be written: %2")
            .arg(QDir::toNativeSeparators(path), file.errorString());
    file.write(QJsonDocument(document).toJson(QJsonDocument::Indented));
    if (!file.commit())
        return QStringLiteral("The file %1 cannot be written: %2")
            .arg(QDir::toNativeSeparators(path), file.errorString());
    return {};
}

DuvudaResultFile::LoadResult DuvudaResultFile::load(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {{},
                QStringLiteral("The file %1 cannot be opened: %2")
                    .arg(QDir::toNativeSeparators(path), file.errorString())};

    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return {
            {},
            damaged(
                path,
                QStringLiteral("%1 at character %2").arg(parseError.errorString()).arg(parseError.offset))};
    const QJsonObject root = document.object();
    if (!document.isObject() || root.value(QStringLiteral("format")).toString() != FormatName)
        return {{}, damaged(path, QStringLiteral("it does not hold Duvuda Duvedozo results"))};
    if (root.value(QStringLiteral("version")).toInt() != FormatVersion)
        return {{},
                damaged(path,
                        QStringLiteral("its version %1 is not known")
                            .arg(root.value(QStringLiteral("version")).toVariant().toString()))};
    if (!root.value(QStringLiteral("rows")).isArray())
        return {{}, damaged(path, QStringLiteral("the list of rows is missing"))};

    LoadResult result;
    const QJsonArray rows = root.value(QStringLiteral("rows")).toArray();
    for (qsizetype r = 0; r < rows.size(); ++r) {
        const QJsonObject object = rows.at(r).toObject();
        const QString rowName = QStringLiteral("row %1").arg(r + 1);
        DuvudaResultRow row;
        row.date = QDate::fromString(object.value(QStringLiteral("date")).toString(), Qt::ISODate);
        if (!row.date.isValid())
            return {{}, damaged(path, rowName + QStringLiteral(" has no valid date"))};
        const QJsonArray cells = object.value(QStringLiteral("cells")).toArray();
        if (cells.size() != DuvudaResultRow::ColumnCount)
            return {{}, damaged(path, rowName + QStringLiteral(" does not hold six cells"))};
        for (int c = 0; c < DuvudaResultRow::ColumnCount; ++c) {
            if (!cells.at(c).isString())
                return {{}, damaged(path, rowName + QStringLiteral(" holds a cell that is not text"))};
            row.cells[size_t(c)] = cells.at(c).toString();
        }
        result.rows.append(DuvudaCells::rebuiltRow(row));
    }
    return result;
}

} // namespace corvane
