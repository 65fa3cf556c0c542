#include "BenchData.h"

#include "core/data/FieldCodec.h"
#include "core/data/Schema.h"
#include "core/data/TableDatabase.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QStringList>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>

namespace corvane::bench {

std::string utf8(const QString& text) { return text.toStdString(); }

[[noreturn]] void sqliteFailure(sqlite3* db, const std::string& what)
{
    throw std::runtime_error(what + ": " + (db ? sqlite3_errmsg(db) : "no connection"));
}

QDate firstDay() { return QDate(2025, 1, 1); }

QDate lastDay() { return firstDay().addDays(DayCount - 1); }

namespace {

// Bump whenever the generated data changes shape.
constexpr int GeneratorVersion = 1;

// An INSERT statement with positional binds; step() runs it and resets.
class Inserter
{
public:
    Inserter(RawDb& db, const std::string& sql)
        : m_db(db)
        , m_statement(db.prepare(sql))
    {
    }
    ~Inserter() { sqlite3_finalize(m_statement); }
    Inserter(const Inserter&) = delete;
    Inserter& operator=(const Inserter&) = delete;

    Inserter& text(int i, const std::string& value)
    {
        sqlite3_bind_text(m_statement, i, value.c_str(), int(value.size()), SQLITE_STATIC);
        return *this;
    }
    Inserter& integer(int i, qint64 value)
    {
        sqlite3_bind_int64(m_statement, i, value);
        return *this;
    }
    Inserter& real(int i, double value)
    {
        sqlite3_bind_double(m_statement, i, value);
        return *this;
    }
    Inserter& null(int i)
    {
        sqlite3_bind_null(m_statement, i);
        return *this;
    }
    void step()
    {
        if (sqlite3_step(m_statement) != SQLITE_DONE)
            sqliteFailure(m_db.handle(), "insert");
        sqlite3_reset(m_statement);
    }

private:
    RawDb& m_db;
    sqlite3_stmt* m_statement;
};

// ----------------------------------------------------------- the data set

struct ProjectData
{
    std::string name;
    std::vector<std::string> engines;
    std::vector<int> popularity; // per engine
    std::vector<std::string> terms;
    std::vector<std::string> urlNames;
    std::vector<std::string> urlAddresses;
};

const std::vector<std::string>& engineCatalogue()
{
    static const std::vector<std::string> names = {"Seeker",  "Findr",  "Lookout", "Trawler", "Scout",
                                                   "Compass", "Beacon", "Harbor",  "Quarry",  "Meridian"};
    return names;
}

int cataloguePopularity(size_t i)
{
    return 100 - int(i) * 9; // 100, 91, ... 19: distinct, so the Top 10 order is fixed
}

} // namespace

// 100 terms in mixed case, some with quotes, so that NOCASE ordering and the
// quoting of values both take part. The detail chart's series uses term 0.
std::vector<std::string> bigProjectTerms()
{
    static const char* adjectives[] = {"cheap",   "Best", "waterproof", "Lightweight", "men's",
                                       "women's", "kids", "Outdoor",    "ultralight",  "Discount"};
    static const char* nouns[] = {"hiking boots",  "tents",          "Sleeping Bags", "backpacks",
                                  "rain jackets",  "trekking poles", "Camp Stoves",   "headlamps",
                                  "water filters", "climbing rope"};
    std::vector<std::string> terms;
    for (const char* adjective : adjectives) {
        for (const char* noun : nouns)
            terms.push_back(std::string(adjective) + ' ' + noun);
    }
    terms[0] = "O'Reilly \"books\"";
    return terms;
}

namespace {

std::vector<ProjectData> projects()
{
    std::vector<ProjectData> result;

    ProjectData big;
    big.name = "Atlas";
    big.engines = engineCatalogue();
    for (size_t i = 0; i < big.engines.size(); ++i)
        big.popularity.push_back(cataloguePopularity(i));
    big.terms = bigProjectTerms();
    big.urlNames = {"Home", "Shop", "Blog", "Docs", "News"};
    big.urlAddresses = {"atlas-outdoor.example", "shop.atlas-outdoor.example", "atlas-outdoor.example/blog",
                        "atlas-outdoor.example/docs", "atlas-outdoor.example/news"};
    result.push_back(big);

    // Small projects that share engine names, URL names and days with the
    // large one, so that every query has to filter on Project.
    const char* smallNames[] = {"Birch", "Cedar", "Dune"};
    for (int p = 0; p < 3; ++p) {
        ProjectData small;
        small.name = smallNames[p];
        for (size_t e = size_t(p); e < size_t(p) + 3; ++e) {
            small.engines.push_back(engineCatalogue().at(e));
            small.popularity.push_back(cataloguePopularity(e));
        }
        for (int t = 0; t < 10; ++t)
            small.terms.push_back(big.terms.at(size_t(t * 10 + p + 1)));
        small.urlNames = {"Home", "Shop"};
        std::string host = small.name;
        std::transform(host.begin(), host.end(), host.begin(),
                       [](unsigned char c) { return char(std::tolower(c)); });
        small.urlAddresses = {host + ".example", "shop." + host + ".example"};
        result.push_back(small);
    }
    return result;
}

// ---------------------------------------------------------- data folder

QString schemaFingerprint()
{
    QStringList parts;
    for (const TableDef& def : Schema::tables()) {
        parts << def.name;
        for (const FieldDef& field : def.fields)
            parts << field.name + QLatin1Char(':') + QString::number(int(field.type)) + QLatin1Char(':')
                    + QString::number(field.size);
        for (const IndexDef& index : def.indexes)
            parts << index.name + QLatin1Char('=') + index.fields.join(QLatin1Char(','))
                    + (index.unique ? QStringLiteral("/u") : QString())
                    + (index.caseInsensitive ? QStringLiteral("/ci") : QString());
    }
    return QString::fromLatin1(
        QCryptographicHash::hash(parts.join(QLatin1Char(';')).toUtf8(), QCryptographicHash::Sha1).toHex());
}

QString markerText(bool analyze)
{
    return QStringLiteral("generator %1\nschema %2\nanalyze %3\n")
        .arg(GeneratorVersion)
        .arg(schemaFingerprint())
        .arg(analyze ? 1 : 0);
}

QString markerPath(const QString& folder)
{
    return QDir(folder).filePath(QStringLiteral("bench-data.version"));
}

} // namespace

bool folderIsCurrent(const QString& folder, bool analyze)
{
    QFile marker(markerPath(folder));
    if (!marker.open(QIODevice::ReadOnly))
        return false;
    return QString::fromUtf8(marker.readAll()) == markerText(analyze);
}

namespace {

// Opens a freshly created table file for bulk filling: no journal, no syncs.
// The file is put back into WAL mode by finishBulk().
void startBulk(RawDb& db, const QString& path)
{
    db.open(utf8(path));
    db.exec("PRAGMA journal_mode = DELETE");
    db.exec("PRAGMA synchronous = OFF");
    db.exec("PRAGMA cache_size = -262144");
    db.exec("BEGIN");
}

void finishBulk(RawDb& db, bool analyze)
{
    db.exec("COMMIT");
    if (analyze)
        db.exec("ANALYZE");
    db.exec("PRAGMA journal_mode = WAL");
    db.close();
}

} // namespace

GeneratedCounts generate(const QString& folder, bool analyze)
{
    QDir dir(folder);
    if (dir.exists())
        dir.removeRecursively();
    if (!QDir().mkpath(folder))
        throw std::runtime_error("cannot create " + utf8(folder));

    Session session(QStringLiteral("BenchSession"));
    session.addPassword(QLatin1String(Schema::SE3Password));
    Database database(QStringLiteral("General"), &session);
    database.setDirectory(folder);
    database.connect();
    for (const TableDef& def : Schema::tables())
        database.createTable(def, def.passwordProtected ? QLatin1String(Schema::SE3Password) : QString());

    const std::vector<ProjectData> all = projects();
    std::vector<std::string> dates;
    for (int day = 0; day < DayCount; ++day)
        dates.push_back(utf8(firstDay().addDays(day).toString(QStringLiteral("yyyy-MM-dd"))));

    // Small tables: projects, URLs, terms, engines.
    {
        RawDb db;
        startBulk(db, database.tableFilePath(QStringLiteral("CVProject")));
        Inserter insert(db,
                        "INSERT INTO CVProject (Name, Depth, KeyURL, FullURLData, StopOnHit, LastRun, "
                        "Logo_Basic_Chart, Logo_Basic_Rpt, Logo_GandL_Chart, Logo_GandL_Rpt, Logo_Pos_Rpt, "
                        "Logo_Scores_Chart, Logo_Scores_Rpt, Logo_SEPop_Rpt) "
                        "VALUES (?1, ?2, ?3, 0, 0, ?4, 0, 0, 0, 0, 0, 0, 0, 0)");
        const double lastRun = FieldCodec::toDayCount(QDateTime(lastDay(), QTime(6, 30)));
        for (const ProjectData& p : all)
            insert.text(1, p.name).integer(2, 100).text(3, KeyUrl).real(4, lastRun).step();
        finishBulk(db, analyze);
    }
    {
        RawDb db;
        startBulk(db, database.tableFilePath(QStringLiteral("CVURL")));
        Inserter insert(db, "INSERT INTO CVURL (Name, URL, Project, AnyMatch) VALUES (?1, ?2, ?3, 0)");
        for (const ProjectData& p : all) {
            for (size_t u = 0; u < p.urlNames.size(); ++u)
                insert.text(1, p.urlNames[u]).text(2, p.urlAddresses[u]).text(3, p.name).step();
        }
        finishBulk(db, analyze);
    }
    {
        RawDb db;
        startBulk(db, database.tableFilePath(QStringLiteral("CVST")));
        Inserter insert(db, "INSERT INTO CVST (Virtual, Physical, Project) VALUES (?1, ?2, ?3)");
        for (const ProjectData& p : all) {
            for (const std::string& term : p.terms) {
                std::string physical;
                for (char c : term)
                    physical += c == ' ' ? std::string("~~~") : std::string(1, c);
                insert.text(1, term).text(2, physical).text(3, p.name).step();
            }
        }
        finishBulk(db, analyze);
    }
    {
        RawDb db;
        startBulk(db, database.tableFilePath(QStringLiteral("CVSE3")));
        Inserter insert(
            db,
            "INSERT INTO CVSE3 (Name, Project, Popularity, Country, Group1, Group2, Group3, Group4, "
            "Group5, API) VALUES (?1, ?2, ?3, 'US', 'General', 'Web', 'Global', ?1, '', 0)");
        for (const ProjectData& p : all) {
            for (size_t e = 0; e < p.engines.size(); ++e)
                insert.text(1, p.engines[e]).text(2, p.name).integer(3, p.popularity[e]).step();
        }
        finishBulk(db, analyze);
    }

    // The result tables, one mining session per day. Each engine x term x URL
    // combination is ranked on about 55% of the days: a ranked one drops out
    // with 9% and an unranked one comes in with 11% a day, and a rank moves by
    // up to 4 places on about a third of the days.
    GeneratedCounts counts;
    RawDb rankDb;
    RawDb hiloDb;
    RawDb summaryDb;
    startBulk(rankDb, database.tableFilePath(QStringLiteral("CVRank")));
    startBulk(hiloDb, database.tableFilePath(QStringLiteral("CVHilo")));
    startBulk(summaryDb, database.tableFilePath(QStringLiteral("Summary")));
    {
        Inserter rank(
            rankDb,
            "INSERT INTO CVRank (Project, SearchEngine, SearchTerm, URL, Rank, Page, xDate, FoundLink) "
            "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, NULL)");
        Inserter hilo(hiloDb,
                      "INSERT INTO CVHilo (Project, xDate, URL, SearchEngine, SearchTerm, AltYesterday, "
                      "AltToday, Difference, Inc) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, NULL)");
        Inserter summary(summaryDb,
                         "INSERT INTO Summary (Project, xDate, Type, SearchEngine, SearchTerm, URL, Rank, "
                         "Page) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)");
        const std::string topSe = "TopSE";
        const std::string newType = "New";
        const std::string pr1 = "PR1";
        const std::string sat = "SAT";
        const std::string none;

        std::mt19937 random(20250101u);
        std::uniform_real_distribution<double> chance(0.0, 1.0);
        std::uniform_int_distribution<int> anyRank(1, 100);
        std::uniform_int_distribution<int> step(-4, 4);
        const auto page = [](int r) { return (r - 1) / 10 + 1; };

        for (const ProjectData& p : all) {
            const size_t engines = p.engines.size();
            const size_t terms = p.terms.size();
            const size_t urls = p.urlNames.size();
            const size_t combos = engines * terms * urls;
            const auto at = [&](size_t e, size_t t, size_t u) { return (e * terms + t) * urls + u; };
            std::vector<int> today(combos, 0); // 0: not ranked
            std::vector<int> yesterday(combos, 0);

            for (int day = 0; day < DayCount; ++day) {
                const std::string& date = dates[size_t(day)];
                yesterday = today;
                for (size_t c = 0; c < combos; ++c) {
                    int& r = today[c];
                    if (day == 0) {
                        r = chance(random) < 0.55 ? anyRank(random) : 0;
                    } else if (r > 0) {
                        if (chance(random) < 0.09)
                            r = 0;
                        else if (chance(random) < 0.35)
                            r = std::clamp(r + step(random), 1, 100);
                    } else if (chance(random) < 0.11) {
                        r = anyRank(random);
                    }
                }
                for (size_t e = 0; e < engines; ++e) {
                    for (size_t t = 0; t < terms; ++t) {
                        for (size_t u = 0; u < urls; ++u) {
                            const size_t c = at(e, t, u);
                            const int r = today[c];
                            const int before = yesterday[c];
                            if (r > 0) {
                                rank.text(1, p.name)
                                    .text(2, p.engines[e])
                                    .text(3, p.terms[t])
                                    .text(4, p.urlNames[u]);
                                rank.integer(5, r).integer(6, page(r)).text(7, date).step();
                                ++counts.rank;
                            }
                            if (day > 0 && r != before) {
                                hilo.text(1, p.name)
                                    .text(2, date)
                                    .text(3, p.urlNames[u])
                                    .text(4, p.engines[e]);
                                hilo.text(5, p.terms[t])
                                    .integer(6, before)
                                    .integer(7, r)
                                    .integer(8, before - r)
                                    .step();
                                ++counts.hilo;
                            }
                        }
                    }
                }

                // The session's summaries for the key URL (URL 0). TopSE: the best
                // ten terms on every engine. New: terms that entered the results.
                const bool lastSession = day == DayCount - 1;
                for (size_t e = 0; e < engines; ++e) {
                    std::vector<std::pair<int, size_t>> ranked;
                    for (size_t t = 0; t < terms; ++t) {
                        const int r = today[at(e, t, 0)];
                        if (r > 0)
                            ranked.emplace_back(r, t);
                        if (r > 0 && day > 0 && yesterday[at(e, t, 0)] == 0) {
                            summary.text(1, p.name).text(2, date).text(3, newType).text(4, p.engines[e]);
                            summary.text(5, p.terms[t])
                                .text(6, KeyUrl)
                                .integer(7, r)
                                .integer(8, page(r))
                                .step();
                            ++counts.summary;
                        }
                        // The first-page and saturation lists hold only the last
                        // session: the dashboard reads them without a date.
                        if (lastSession && r > 0 && r <= 10) {
                            summary.text(1, p.name).text(2, date).text(3, pr1).text(4, p.engines[e]);
                            summary.text(5, p.terms[t])
                                .text(6, KeyUrl)
                                .integer(7, r)
                                .integer(8, page(r))
                                .step();
                            ++counts.summary;
                        }
                    }
                    std::sort(ranked.begin(), ranked.end());
                    for (size_t i = 0; i < ranked.size() && i < 10; ++i) {
                        const int r = ranked[i].first;
                        summary.text(1, p.name).text(2, date).text(3, topSe).text(4, p.engines[e]);
                        summary.text(5, p.terms[ranked[i].second])
                            .text(6, KeyUrl)
                            .integer(7, r)
                            .integer(8, page(r))
                            .step();
                        ++counts.summary;
                    }
                    if (lastSession) {
                        int hits = 0;
                        for (size_t t = 0; t < terms; ++t) {
                            for (size_t u = 0; u < urls; ++u)
                                hits += today[at(e, t, u)] > 0 ? 1 : 0;
                        }
                        summary.text(1, p.name).text(2, date).text(3, sat).text(4, p.engines[e]);
                        summary.text(5, none).text(6, none).integer(7, hits).integer(8, 0).step();
                        ++counts.summary;
                    }
                }
            }
        }
    }
    finishBulk(rankDb, analyze);
    finishBulk(hiloDb, analyze);
    finishBulk(summaryDb, analyze);

    QFile marker(markerPath(folder));
    if (!marker.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw std::runtime_error("cannot write the version marker");
    marker.write(markerText(analyze).toUtf8());
    return counts;
}

DataArguments dataArguments(const QStringList& arguments)
{
    DataArguments result{defaultFolder()};
    for (int i = 1; i < arguments.size(); ++i) {
        if (arguments.at(i) == QLatin1String("--data") && i + 1 < arguments.size())
            result.folder = arguments.at(++i);
        else if (arguments.at(i) == QLatin1String("--regenerate"))
            result.regenerate = true;
    }
    return result;
}

QString defaultFolder()
{
    return QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../bench-data"));
}

void prepareFolder(const QString& folder, bool analyze, bool regenerate)
{
    if (!regenerate && folderIsCurrent(folder, analyze)) {
        std::printf("Reusing the data folder %s%s\n", qPrintable(folder), analyze ? " (with ANALYZE)" : "");
        return;
    }
    std::printf("Generating the data folder %s ...\n", qPrintable(folder));
    std::fflush(stdout);
    const auto start = std::chrono::steady_clock::now();
    const GeneratedCounts counts = generate(folder, analyze);
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
    std::printf("  CVRank %lld rows, CVHilo %lld rows, Summary %lld rows in %.1f s%s\n",
                static_cast<long long>(counts.rank), static_cast<long long>(counts.hilo),
                static_cast<long long>(counts.summary), seconds.count(), analyze ? " (with ANALYZE)" : "");
}

} // namespace corvane::bench
