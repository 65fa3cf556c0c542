#include "CascadeProfile.h"

#include "core/data/Dataset.h"
#include "core/data/Schema.h"
#include "core/projects/ProjectCascade.h"
#include "core/schedule/ScheduledTasks.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QVariant>

#include <sqlite3.h>
#include <stdexcept>

namespace corvane::test {

const QString CascadeProfile::Project = QStringLiteral("Ñandú\"O'K\\50%");
const QString CascadeProfile::Other = QStringLiteral("Other");
const QString CascadeProfile::Url1 = QStringLiteral("Home \"1\" & <b>");
const QString CascadeProfile::Url2 = QStringLiteral("Shop");
const QString CascadeProfile::Term1 = QStringLiteral("crème 'brûlée' \"100%\"");
const QString CascadeProfile::Term2 = QStringLiteral("tea\\pot");
const QString CascadeProfile::Engine1 = QStringLiteral("Demo Alpha");
const QString CascadeProfile::Engine2 = QStringLiteral("Demo Beta");

CascadeProfile::CascadeProfile(const QString& folder)
    : m_folder(folder)
{
    QDir().mkpath(folder);
    m_db.setDirectory(folder);
    m_db.connect();
    for (const TableDef& def : Schema::tables())
        if (!def.passwordProtected)
            m_db.createTable(def);
    TableDef temp;
    temp.name = QStringLiteral("CVReportTemp");
    temp.fields = {FieldDef{QStringLiteral("Project"), FieldType::String, 32},
                   FieldDef{QStringLiteral("Caption"), FieldType::String, 64}};
    m_db.createTable(temp);
}

void CascadeProfile::insert(const QString& table, const QStringList& fields, const QVariantList& values)
{
    Table t(&m_db, table);
    t.open();
    t.append();
    for (int i = 0; i < fields.size(); ++i)
        t.setValue(fields.at(i), values.at(i));
    t.post();
    t.close();
}

void CascadeProfile::seed(int rankRows)
{
    const QStringList urls{Url1, Url2};
    const QStringList terms{Term1, Term2};
    const QStringList engines{Engine1, Engine2};
    const QDate day(2026, 11, 30);
    int notify = 1;
    for (const QString& p : {Project, Other}) {
        insert(QStringLiteral("CVProject"),
               {QStringLiteral("Name"), QStringLiteral("Depth"), QStringLiteral("KeyURL")}, {p, 50, Url1});
        for (const QString& u : urls)
            insert(QStringLiteral("CVURL"),
                   {QStringLiteral("Name"), QStringLiteral("URL"), QStringLiteral("Project")},
                   {u, QString(QStringLiteral("example.com/") + u), p});
        for (const QString& t : terms)
            insert(QStringLiteral("CVST"),
                   {QStringLiteral("Virtual"), QStringLiteral("Physical"), QStringLiteral("Project")},
                   {t, t, p});
        for (const QString& e : engines) {
            insert(QStringLiteral("CVSE3"), {QStringLiteral("Name"), QStringLiteral("Project")}, {e, p});
            for (const QString& t : terms) {
                insert(QStringLiteral("CVEngine"),
                       {QStringLiteral("Project"), QStringLiteral("SE3Name"), QStringLiteral("STName")},
                       {p, e, t});
                for (const QString& u : urls) {
                    const QStringList f{QStringLiteral("Project"), QStringLiteral("SearchEngine"),
                                        QStringLiteral("SearchTerm"), QStringLiteral("URL"),
                                        QStringLiteral("xDate")};
                    insert(QStringLiteral("CVRank"), f + QStringList{QStringLiteral("Rank")},
                           {p, e, t, u, day, 3});
                    insert(QStringLiteral("CVHilo"), f, {p, e, t, u, day});
                    insert(QStringLiteral("Summary"), f + QStringList{QStringLiteral("Type")},
                           {p, e, t, u, day, QStringLiteral("TopSE")});
                }
            }
        }
        // Charts: each item first (a list of two), second and third.
        const QStringList sq{QStringLiteral("Project"), QStringLiteral("File"),    QStringLiteral("PopOrder"),
                             QStringLiteral("ForEach"), QStringLiteral("Select1"), QStringLiteral("Select2")};
        const QString both = [](const QStringList& l) { return l.join(QStringLiteral("\r\n")); }(urls);
        insert(QStringLiteral("CVSQLTee"), sq,
               {p, QStringLiteral("U first"), QStringLiteral("UST"), both, Engine1, Term1});
        insert(QStringLiteral("CVSQLTee"), sq,
               {p, QStringLiteral("U only"), QStringLiteral("UTS"), Url1, Term1, Engine1});
        insert(QStringLiteral("CVSQLTee"), sq,
               {p, QStringLiteral("U second"), QStringLiteral("TUS"), Term1, Url1, Engine1});
        insert(QStringLiteral("CVSQLTee"), sq,
               {p, QStringLiteral("U third"), QStringLiteral("STU"), Engine1, Term1, Url1});
        insert(QStringLiteral("CVSQLTee"), sq,
               {p, QStringLiteral("T first"), QStringLiteral("TSU"), terms.join(QStringLiteral("\r\n")),
                Engine2, Url2});
        insert(QStringLiteral("CVSQLTee"), sq,
               {p, QStringLiteral("S first"), QStringLiteral("SUT"), engines.join(QStringLiteral("\r\n")),
                Url2, Term2});
        // Notifications: one watching everything, one watching only the first items.
        const QStringList nf{QStringLiteral("Name"), QStringLiteral("Project"), QStringLiteral("URLs"),
                             QStringLiteral("SearchTerms"), QStringLiteral("SearchEngines")};
        insert(QStringLiteral("CVNotify"), nf,
               {notify, p, both, terms.join(QStringLiteral("\n")), engines.join(QStringLiteral("\r\n"))});
        insert(QStringLiteral("CVEmail"), {QStringLiteral("Name"), QStringLiteral("Project")}, {notify++, p});
        insert(QStringLiteral("CVNotify"), nf, {notify, p, Url1, Term1, Engine1});
        insert(QStringLiteral("CVEmail"), {QStringLiteral("Name"), QStringLiteral("Project")}, {notify++, p});
        for (const char* table :
             {"CVLog", "CVNotable", "CVChartCache", "CVQueries", "CVReports", "CVReportTemp"})
            insert(QLatin1String(table), {QStringLiteral("Project")}, {p});
    }
    if (rankRows > 0) {
        sqlite3* db = nullptr;
        sqlite3_open((m_folder + QStringLiteral("CVRank.dat")).toUtf8().constData(), &db);
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db,
                           "INSERT INTO CVRank (Project, SearchEngine, SearchTerm, URL, xDate, Rank, Page) "
                           "VALUES (?1, ?2, ?3, ?4, ?5, ?6, 1)",
                           -1, &st, nullptr);
        const QByteArray p = Project.toUtf8();
        for (int i = 0; i < rankRows; ++i) {
            const QByteArray e = engines.at(i % 2).toUtf8(), t = terms.at((i / 2) % 2).toUtf8(),
                             u = urls.at((i / 4) % 2).toUtf8(),
                             d = day.addDays(-(i / 8) % 365).toString(Qt::ISODate).toUtf8();
            sqlite3_bind_text(st, 1, p.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(st, 2, e.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(st, 3, t.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(st, 4, u.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(st, 5, d.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_int(st, 6, i % 50 + 1);
            sqlite3_step(st);
            sqlite3_reset(st);
        }
        sqlite3_finalize(st);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
    QFile crontab(qEnvironmentVariable("CORVANE_CRONTAB"));
    if (crontab.open(QIODevice::WriteOnly)) {
        crontab.write("MAILTO=\"\"\n");
        crontab.write(ScheduledTasks::taskLine(QStringLiteral("0 3 * * *"),
                                               QStringLiteral("/opt/corvane/Harvester"), {Project},
                                               QStringLiteral("Nightly"))
                          .toUtf8()
                      + '\n');
        crontab.write(ScheduledTasks::taskLine(QStringLiteral("0 5 * * 1"),
                                               QStringLiteral("/opt/corvane/Harvester"), {Project, Other},
                                               QStringLiteral("Weekly"))
                          .toUtf8()
                      + '\n');
    }
    insert(QStringLiteral("Schedule"), {QStringLiteral("Name"), QStringLiteral("Projects")},
           {QStringLiteral("Nightly"), Project});
    insert(QStringLiteral("Schedule"), {QStringLiteral("Name"), QStringLiteral("Projects")},
           {QStringLiteral("Weekly"), QString(Project + QStringLiteral("\r\n") + Other)});
    insert(QStringLiteral("Schedule"), {QStringLiteral("Name"), QStringLiteral("Projects")},
           {QStringLiteral("Gone"), Project});
}

QStringList CascadeProfile::dump(const QString& table, const QString& where) const
{
    QStringList lines;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2((m_folder + table + QStringLiteral(".dat")).toUtf8().constData(), &db,
                        SQLITE_OPEN_READONLY, nullptr)
        != SQLITE_OK)
        throw std::runtime_error("cannot open " + table.toStdString());
    sqlite3_stmt* st = nullptr;
    const QByteArray sql = (QStringLiteral("SELECT * FROM \"") + table + QStringLiteral("\" WHERE ") + where
                            + QStringLiteral(" ORDER BY rowid"))
                               .toUtf8();
    if (sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr) != SQLITE_OK)
        throw std::runtime_error(sqlite3_errmsg(db));
    while (sqlite3_step(st) == SQLITE_ROW) {
        QString line;
        for (int c = 0; c < sqlite3_column_count(st); ++c) {
            const char* text = reinterpret_cast<const char*>(sqlite3_column_text(st, c));
            line += QString::fromUtf8(text ? text : "<null>") + QLatin1Char('\t');
        }
        lines << line;
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return lines;
}

namespace {
QString literal(const QString& value)
{
    QString v = value;
    return QLatin1Char('\'') + v.replace(QLatin1Char('\''), QLatin1String("''")) + QLatin1Char('\'');
}
} // namespace

QStringList CascadeProfile::dumpProject(const QString& name) const
{
    QStringList lines = dump(QStringLiteral("CVProject"), QStringLiteral("Name = ") + literal(name));
    for (const QString& table : ProjectCascade::projectTables())
        for (const QString& line : dump(table, QStringLiteral("Project = ") + literal(name)))
            lines << table + QLatin1Char('\t') + line;
    return lines;
}

qint64 CascadeProfile::countProject(const QString& name) const
{
    qint64 n = 0;
    auto countIn = [&](const QString& table, const QString& where) {
        sqlite3* db = nullptr;
        sqlite3_open_v2((m_folder + table + QStringLiteral(".dat")).toUtf8().constData(), &db,
                        SQLITE_OPEN_READONLY, nullptr);
        sqlite3_stmt* st = nullptr;
        const QByteArray sql =
            (QStringLiteral("SELECT COUNT(*) FROM \"") + table + QStringLiteral("\" WHERE ") + where)
                .toUtf8();
        if (sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr) == SQLITE_OK
            && sqlite3_step(st) == SQLITE_ROW)
            n += sqlite3_column_int64(st, 0);
        sqlite3_finalize(st);
        sqlite3_close(db);
    };
    countIn(QStringLiteral("CVProject"), QStringLiteral("Name = ") + literal(name));
    for (const QString& table : ProjectCascade::projectTables())
        countIn(table, QStringLiteral("Project = ") + literal(name));
    return n;
}

int CascadeProfile::rowsNaming(const QString& value, const QString& column) const
{
    int n = 0;
    for (const TableDef& def : Schema::tables()) {
        if (def.passwordProtected)
            continue;
        bool has = false;
        for (const FieldDef& f : def.fields)
            has = has || f.name == column;
        if (has)
            n += int(dump(def.name, column + QStringLiteral(" = ") + literal(value)).size());
    }
    return n;
}

} // namespace corvane::test
