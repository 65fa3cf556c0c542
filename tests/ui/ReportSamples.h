#pragma once

#include "core/data/Dataset.h"
#include "core/data/TableDatabase.h"

#include <QDate>
#include <QStringList>

namespace corvane::test {

// Fills a fresh report table CVReportTemp as a rank report would: engines,
// terms, URL names, ranks, pages, dates and the found links as a memo.
inline void fillSampleReportTable(Database& database, int rows)
{
    if (database.tableExists(QStringLiteral("CVReportTemp")))
        database.deleteTable(QStringLiteral("CVReportTemp"));
    TableDef def;
    def.name = QStringLiteral("CVReportTemp");
    def.fields = {FieldDef{QStringLiteral("SearchEngine"), FieldType::String, 32},
                  FieldDef{QStringLiteral("SearchTerm"), FieldType::String, 64},
                  FieldDef{QStringLiteral("URL"), FieldType::String, 64},
                  FieldDef{QStringLiteral("Rank"), FieldType::Integer},
                  FieldDef{QStringLiteral("Page"), FieldType::Integer},
                  FieldDef{QStringLiteral("xDate"), FieldType::Date},
                  FieldDef{QStringLiteral("FoundLink"), FieldType::Memo}};
    database.createTable(def);
    const QStringList engines{QStringLiteral("Demo Classic"), QStringLiteral("Demo Offset"),
                              QStringLiteral("Demo Next")};
    const QStringList terms{QStringLiteral("fresh bread"), QStringLiteral("sourdough starter"),
                            QStringLiteral("rye loaf delivery")};
    const QStringList urls{QStringLiteral("Home"), QStringLiteral("Shop"), QStringLiteral("Blog")};
    Table table(&database, QStringLiteral("CVReportTemp"));
    table.open();
    for (int i = 0; i < rows; ++i) {
        table.append();
        table.setValue(QStringLiteral("SearchEngine"), engines.at(i % 3));
        table.setValue(QStringLiteral("SearchTerm"), terms.at((i / 3) % 3));
        table.setValue(QStringLiteral("URL"), urls.at((i / 9) % 3));
        table.setValue(QStringLiteral("Rank"), 1 + (i * 37) % 180);
        table.setValue(QStringLiteral("Page"), 1 + ((i * 37) % 180) / 10);
        table.setValue(QStringLiteral("xDate"), QDate(2026, 11, 1).addDays(i / 9));
        table.setValue(
            QStringLiteral("FoundLink"),
            QStringLiteral("http://www.bakery-example.org/products/%1/%2?ref=search&campaign=winter-"
                           "offers-and-seasonal-specials")
                .arg(urls.at((i / 9) % 3).toLower())
                .arg(i));
        table.post();
    }
    table.close();
}

} // namespace corvane::test
