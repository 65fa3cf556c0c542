#pragma once

#include "core/data/Dataset.h"
#include "core/datamodule/DM1.h"

#include "DashboardFixture.h"
#include "UiTestSupport.h"

#include <QDate>
#include <QFile>

#include <sqlite3.h>

namespace corvane::test {

// A profile whose project "Bakery" was mined, with `bulkRows` more rank rows
// of the project "Große \"Menge\"" for the row-count questions, and engines in SE3
// and rows in CVEngine for the engine windows. Its databases are left open.
class QueryProfile
{
public:
    explicit QueryProfile(int bulkRows = 0)
    {
        dm = profile.makeDataModule();
        dm->setMessagePresenter(
            [this](MessageButtons, const QString& title, const QString& text, const QString&) {
                messages << title + QStringLiteral(": ") + text;
                return answer;
            });
        dm->LoadSettings();
        dm->OpenDatabases();
        addMinedProject(*dm, QStringLiteral("Bakery"), QDate(2026, 11, 30), 6);
        dm->WriteSetting(QStringLiteral("Startup Settings"), QStringLiteral("Project"),
                         QStringLiteral("Bakery"));
        dm->Settings.Project = QStringLiteral("Bakery");
        addProject(BulkProject);
        if (bulkRows > 0)
            addBulkRows(bulkRows);
        addEngines();
    }
    ~QueryProfile() { dm->CloseDatabases(); }

    inline static const QString BulkProject = QStringLiteral("Große \"Menge\"");

    void addProject(const QString& name)
    {
        dm->GroupTable.open();
        dm->GroupTable.append();
        dm->GroupTable.setValue(QStringLiteral("Name"), name);
        dm->GroupTable.setValue(QStringLiteral("Depth"), 50);
        dm->GroupTable.post();
    }

    void addBulkRows(int count)
    {
        sqlite3* db = nullptr;
        sqlite3_open_v2(QFile::encodeName(dm->Settings.DataFolder + QStringLiteral("CVRank.dat")).constData(),
                        &db, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_stmt* insert = nullptr;
        sqlite3_prepare_v2(
            db,
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < ?2) "
            "INSERT INTO CVRank (Project, SearchEngine, SearchTerm, URL, Rank, Page, xDate, FoundLink) "
            "SELECT ?1, 'Demo Engine ' || (i % 5), 'term ' || (i % 40), 'Home', 1 + i % 90, "
            "1 + (i % 90) / 10, date('2026-11-30', '-' || (i % 300) || ' days'), "
            "'https://example.com/' || i FROM n",
            -1, &insert, nullptr);
        const QByteArray project = BulkProject.toUtf8();
        sqlite3_bind_text(insert, 1, project.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(insert, 2, count);
        sqlite3_step(insert);
        sqlite3_finalize(insert);
        sqlite3_close(db);
    }

    void addEngines()
    {
        dm->SE3Table.open();
        dm->SE3Table.emptyTable();
        const struct
        {
            const char* name;
            const char* country;
            const char* group;
            int points;
        } engines[] = {
            {"Demo Engine 1", "USA", "General", 90},
            {"Demo Engine 2", "Deutschland", "General", 83},
            {"Demo Engine 3", "Österreich", "News", 76},
            {"Demo Engine 4", "USA", "Shopping", 69},
            {"Demo Engine 5", "France", "General", 62},
            {"Demo Engine 6", "USA", "Directory", 55},
            {"Müller & \"Söhne\" <b>", "Deutschland", "Directory", 12},
        };
        for (const auto& e : engines) {
            dm->SE3Table.append();
            dm->SE3Table.setValue(QStringLiteral("Name"), QString::fromUtf8(e.name));
            dm->SE3Table.setValue(
                QStringLiteral("HomePage"),
                QString(QStringLiteral("http://127.0.0.1:8080/") + QString::fromUtf8(e.name).left(4)));
            dm->SE3Table.setValue(QStringLiteral("AddPage"), QStringLiteral("http://127.0.0.1:8080/add"));
            dm->SE3Table.setValue(QStringLiteral("Country"), QString::fromUtf8(e.country));
            dm->SE3Table.setValue(QStringLiteral("Group1"), QString::fromUtf8(e.group));
            dm->SE3Table.setValue(QStringLiteral("Group2"), QStringLiteral("Web"));
            dm->SE3Table.setValue(QStringLiteral("Group3"), QStringLiteral("National"));
            dm->SE3Table.setValue(QStringLiteral("Group4"), QStringLiteral("Demo"));
            dm->SE3Table.setValue(QStringLiteral("Popularity"), e.points);
            dm->SE3Table.setValue(QStringLiteral("PopSource"), QStringLiteral("Demo traffic"));
            dm->SE3Table.setValue(QStringLiteral("Pop1"), e.points * 10);
            dm->SE3Table.setValue(QStringLiteral("LastUpdate"), QDate(2026, 11, 2));
            dm->SE3Table.setValue(QStringLiteral("Notes"),
                                  QString(QStringLiteral("Notes of ") + QString::fromUtf8(e.name)));
            dm->SE3Table.post();
        }
        dm->SE3Table.close();
        Table engine(&dm->General, QStringLiteral("CVEngine"));
        engine.open();
        const char* terms[] = {"sourdough bread", "rye bread", "croissant"};
        for (int e = 1; e <= 6; ++e)
            for (int t = 0; t < 3; ++t) {
                engine.append();
                engine.setValue(QStringLiteral("Project"), QStringLiteral("Bakery"));
                engine.setValue(QStringLiteral("SE3Name"), QStringLiteral("Demo Engine %1").arg(e));
                engine.setValue(QStringLiteral("STName"), QLatin1String(terms[t]));
                engine.setValue(QStringLiteral("LastRecord"), e == 3 && t == 1 ? 17 : (e == 5 ? 30 + t : 50));
                engine.setValue(QStringLiteral("Depth"), 50);
                engine.setValue(QStringLiteral("Completed"), true);
                engine.post();
            }
    }

    int rankRows()
    {
        Query count(&dm->General, QStringLiteral("SELECT COUNT(*) AS N FROM CVRank"));
        count.open();
        return count.asInteger(QStringLiteral("N"));
    }

    UiProfile profile;
    std::unique_ptr<TDM1> dm;
    QStringList messages;
    MessageAnswer answer = MessageAnswer::Ok;
};

} // namespace corvane::test
