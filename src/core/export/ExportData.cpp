#include "core/export/ExportData.h"

#include "core/data/Dataset.h"

namespace corvane {

namespace {

ExportColumn::Type columnType(FieldType type)
{
    switch (type) {
    case FieldType::Integer:
    case FieldType::AutoInc: return ExportColumn::Type::Integer;
    case FieldType::Float: return ExportColumn::Type::Float;
    case FieldType::Date: return ExportColumn::Type::Date;
    default: return ExportColumn::Type::Text;
    }
}

} // namespace

ExportData ExportData::fromDataset(Dataset& dataset, const QString& name)
{
    ExportData data;
    data.name = name;
    for (const FieldDef& field : dataset.fields())
        data.columns.append({field.name, columnType(field.type)});
    for (dataset.first(); !dataset.eof(); dataset.next()) {
        QVariantList row;
        row.reserve(data.columns.size());
        for (const ExportColumn& column : data.columns) {
            const QVariant value = dataset.value(column.name);
            row.append(column.type == ExportColumn::Type::Text && value.isValid() ? QVariant(value.toString())
                                                                                  : value);
        }
        data.rows.append(row);
    }
    return data;
}

ExportData ExportData::selectColumns(const QList<int>& indexes) const
{
    ExportData selected;
    selected.name = name;
    for (int i : indexes)
        selected.columns.append(columns.at(i));
    for (const QVariantList& row : rows) {
        QVariantList picked;
        for (int i : indexes)
            picked.append(row.value(i));
        selected.rows.append(picked);
    }
    return selected;
}

} // namespace corvane
