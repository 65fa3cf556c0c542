// Names holding quotes, a backslash, "%", "_", "&", tags, an entity, a tab, a
// line break and non-Latin letters, mined by the real Harvester from the
// demo engine: the tables, every export format, the session page and the
// lookups keep them exactly.
#include "core/dashboard/SessionInfoPage.h"
#include "core/data/Dataset.h"
#include "core/data/TableDatabase.h"
#include "core/export/ExportData.h"
#include "core/export/ExportFile.h"
#include "core/harvest/ProjectPlan.h"
#include "core/projects/ProjectStore.h"

#include "../HostileSuite.h"
#include "TestSupport.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <memory>
#include <sqlite3.h>
#include <zip.h>

using namespace corvane;

namespace {

QByteArray zipMember(const QString& archive, const char* member)
{
    int error = 0;
    zip_t* zip = zip_open(QFile::encodeName(archive).constData(), ZIP_RDONLY, &error);
    if (!zip)
        return {};
    QByteArray content;
    zip_stat_t stat;
    if (zip_stat(zip, member, 0, &stat) == 0) {
        if (zip_file_t* file = zip_fopen(zip, member, 0)) {
            content.resize(qsizetype(stat.size));
            zip_fread(file, content.data(), stat.size);
            zip_fclose(file);
        }
    }
    zip_close(zip);
    return content;
}

QString readText(const QString& path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return QString::fromUtf8(file.readAll());
}

// RFC 4180 records: quoted fields may hold commas, quotes and line breaks.
QList<QStringList> parseCsv(const QString& text)
{
    QList<QStringList> records;
    QStringList record;
    QString field;
    bool quoted = false;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == QLatin1Char('"') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('"')) {
                field += c;
                ++i;
            } else if (c == QLatin1Char('"')) {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == QLatin1Char('"')) {
            quoted = true;
        } else if (c == QLatin1Char(',')) {
            record << field;
            field.clear();
        } else if (c == QLatin1Char('\r') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n')) {
            record << field;
            records << record;
            record.clear();
            field.clear();
            ++i;
        } else {
            field += c;
        }
    }
    return records;
}

class hostile_names : public test::HostileSuite
{
protected:
    void SetUp() override
    {
        HostileSuite::SetUp();
        if (HasFatalFailure())
            return;
        m_session.addPassword(QLatin1String(Schema::SE3Password));
        m_data.setDirectory(s_fixture->dataFolder);
        m_data.connect();
    }

    QSet<QString> distinct(const QString& table, const char* column)
    {
        QSet<QString> values;
        Query query(&m_data,
                    QStringLiteral("SELECT DISTINCT %1 AS V FROM %2").arg(QLatin1String(column), table));
        query.open();
        for (query.first(); !query.eof(); query.next())
            values << query.asString(QStringLiteral("V"));
        return values;
    }

    // Runs one statement on a table file straight through SQLite.
    void direct(const QString& table, const QString& sql)
    {
        sqlite3* handle = nullptr;
        ASSERT_EQ(sqlite3_open(
                      QFile::encodeName(s_fixture->dataFolder + table + QStringLiteral(".dat")).constData(),
                      &handle),
                  SQLITE_OK);
        char* message = nullptr;
        const int rc = sqlite3_exec(handle, sql.toUtf8().constData(), nullptr, nullptr, &message);
        EXPECT_EQ(rc, SQLITE_OK) << (message ? message : "");
        sqlite3_free(message);
        sqlite3_close(handle);
    }

    Session m_session{QStringLiteral("HostileTest")};
    Database m_data{QStringLiteral("HostileTest"), &m_session};
};

} // namespace

TEST_F(hostile_names, TheSessionsStoreEveryNameAsWritten)
{
    const test::HostileNames& n = s_fixture->names;
    EXPECT_EQ(distinct(QStringLiteral("CVRank"), "Project"), QSet<QString>{n.project});
    EXPECT_EQ(distinct(QStringLiteral("CVRank"), "SearchEngine"),
              QSet<QString>(n.engines.begin(), n.engines.end()));
    EXPECT_EQ(distinct(QStringLiteral("CVRank"), "SearchTerm"),
              QSet<QString>(n.terms.begin(), n.terms.end()));
    // the key URL ranks on every day, for every engine and term
    Query ranks(&m_data,
                QStringLiteral("SELECT xDate, SearchEngine, SearchTerm, Rank FROM CVRank WHERE URL = ")
                    + SqlQuote::quoted(n.urlNames.at(0)) + QStringLiteral(" AND Rank > 0"));
    ranks.open();
    QSet<QString> seen;
    for (ranks.first(); !ranks.eof(); ranks.next())
        seen << ranks.asDate(QStringLiteral("xDate")).toString(Qt::ISODate) + QLatin1Char('|')
                + ranks.asString(QStringLiteral("SearchEngine")) + QLatin1Char('|')
                + ranks.asString(QStringLiteral("SearchTerm"));
    EXPECT_EQ(seen.size(), n.mined.size() * n.engines.size() * n.terms.size()) << seen.size();
    // the hostile URL never ranks, and the session notes say so by its name
    EXPECT_TRUE(distinct(QStringLiteral("CVRank"), "URL").contains(n.urlNames.at(0)));
    Query notes(&m_data, QStringLiteral("SELECT Content FROM CVNotable WHERE Subject = 'Optimization'"));
    notes.open();
    ASSERT_FALSE(notes.eof());
    EXPECT_TRUE(notes.asString(QStringLiteral("Content")).contains(n.urlNames.at(1)));
    // the plan reads them back, and the project is complete
    const ProjectPlan plan = ProjectPlan::load(m_data, m_data, n.project);
    EXPECT_EQ(plan.name, n.project);
    EXPECT_EQ(plan.incompleteReason(), QString());
    EXPECT_EQ(plan.keyUrlIndex(), 0);
    EXPECT_EQ(plan.terms.size(), n.terms.size());
    EXPECT_TRUE(plan.missingScripts.isEmpty()) << qPrintable(plan.missingScripts.join(QLatin1Char('|')));
}

TEST_F(hostile_names, EveryExportFormatGivesTheNamesBack)
{
    const test::HostileNames& n = s_fixture->names;
    Query rows(&m_data,
               QStringLiteral("SELECT Project, SearchEngine, SearchTerm, URL, Rank FROM CVRank "
                              "ORDER BY SearchEngine, SearchTerm, URL, xDate"));
    rows.open();
    const ExportData data = ExportData::fromDataset(rows, n.project);
    ASSERT_GT(data.rows.size(), 0);
    QStringList expected; // the text cells of every row, in order
    for (const QVariantList& row : data.rows)
        for (int c = 0; c < 4; ++c)
            expected << row.at(c).toString();
    ExportOptions options;
    options.title = n.project;
    options.sqlTableName = QStringLiteral("Ranks");
    const auto path = [&](ExportFormat format) {
        return ExportFile::withExtension(s_fixture->path(QStringLiteral("Export")), format);
    };
    for (const ExportFormatInfo& format : ExportFile::formats()) {
        if (format.format == ExportFormat::Pdf || format.format == ExportFormat::Clipboard)
            continue;
        SCOPED_TRACE(qPrintable(format.name));
        ASSERT_EQ(ExportFile::write(format.format, data, options, path(format.format)), QString());
    }

    // CSV, record by record
    const QList<QStringList> csv = parseCsv(readText(path(ExportFormat::Csv)));
    ASSERT_EQ(csv.size(), data.rows.size() + 1);
    QStringList cells;
    for (const QStringList& record : csv.mid(1))
        cells << record.mid(0, 4);
    EXPECT_EQ(cells, expected);

    // tab-delimited: one line per row; a tab or line break inside a name is a blank there
    const QStringList lines =
        readText(path(ExportFormat::TabDelimited)).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), data.rows.size() + 1);
    QString flat = n.project;
    flat.replace(QLatin1Char('\t'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    EXPECT_EQ(lines.at(1).split(QLatin1Char('\t')).at(0), flat);

    // XML, field by field; the title attribute too
    QXmlStreamReader xml(readText(path(ExportFormat::Xml)));
    cells.clear();
    QString title;
    int field = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("Export"))
            title = xml.attributes().value(QStringLiteral("title")).toString();
        if (xml.isStartElement() && xml.name() == QLatin1String("Field")) {
            const QString text = xml.readElementText();
            if (field++ % 5 < 4)
                cells << text;
        }
    }
    ASSERT_FALSE(xml.hasError()) << qPrintable(xml.errorString());
    EXPECT_EQ(title, n.project);
    EXPECT_EQ(cells, expected);

    // JSON
    const QJsonArray records = QJsonDocument::fromJson(readText(path(ExportFormat::Json)).toUtf8()).array();
    cells.clear();
    for (const QJsonValue& record : records)
        for (const char* column : {"Project", "SearchEngine", "SearchTerm", "URL"})
            cells << record.toObject().value(QLatin1String(column)).toString();
    EXPECT_EQ(cells, expected);

    // SQL: the statements run and fill a table with the same texts
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK);
    char* message = nullptr;
    const QString script =
        QStringLiteral("CREATE TABLE Ranks (Project, SearchEngine, SearchTerm, URL, Rank);\n")
        + readText(path(ExportFormat::Sql));
    EXPECT_EQ(sqlite3_exec(db, script.toUtf8().constData(), nullptr, nullptr, &message), SQLITE_OK)
        << (message ? message : "");
    sqlite3_free(message);
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, "SELECT Project, SearchEngine, SearchTerm, URL FROM Ranks ORDER BY rowid", -1,
                       &statement, nullptr);
    cells.clear();
    while (statement && sqlite3_step(statement) == SQLITE_ROW)
        for (int c = 0; c < 4; ++c)
            cells << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, c)));
    sqlite3_finalize(statement);
    sqlite3_close(db);
    EXPECT_EQ(cells, expected);

    // the workbook's shared strings hold each name whole
    QXmlStreamReader strings(QString::fromUtf8(zipMember(path(ExportFormat::Xlsx), "xl/sharedStrings.xml")));
    QSet<QString> shared;
    while (!strings.atEnd()) {
        strings.readNext();
        if (strings.isStartElement() && strings.name() == QLatin1String("t"))
            shared << strings.readElementText();
    }
    ASSERT_FALSE(strings.hasError()) << qPrintable(strings.errorString());
    for (const QString& name : QStringList{n.project} + n.engines + n.terms + n.urlNames.mid(0, 1))
        EXPECT_TRUE(shared.contains(name)) << qPrintable(name);

    // HTML: every name escaped, no markup of its own
    const QString html = readText(path(ExportFormat::Html));
    EXPECT_TRUE(
        html.contains(QStringLiteral("<title>") + n.project.toHtmlEscaped() + QStringLiteral("</title>")));
    for (const QString& name : n.engines + n.terms)
        EXPECT_TRUE(html.contains(QStringLiteral("<td>") + name.toHtmlEscaped() + QStringLiteral("</td>")));
    EXPECT_EQ(html.count(QStringLiteral("<b>")), 1); // the caption's own
    EXPECT_FALSE(html.contains(QStringLiteral("-->")));
}

TEST_F(hostile_names, TheSessionPageEscapesEveryNameAndKeepsEachAsOneEntry)
{
    const test::HostileNames& n = s_fixture->names;
    Query notes(&m_data, QStringLiteral("SELECT Content FROM CVNotable WHERE Subject = 'Optimization'"));
    notes.open();
    QStringList contents;
    for (notes.first(); !notes.eof(); notes.next())
        contents << notes.asString(QStringLiteral("Content"));
    ASSERT_FALSE(contents.isEmpty());
    const QString page =
        SessionInfoPage::html(s_fixture->path(QStringLiteral("O'Brien's & <b>/")),
                              {n.engines.at(0) + QStringLiteral(": markers updated")}, contents);
    // only the page's own tags, each attribute value closed where it began
    static const QRegularExpression tag(
        QStringLiteral("<(/?)([A-Za-z0-9]+)((?:\\s+[A-Z]+='[^'<>]*')*)\\s*>"));
    static const QSet<QString> known{QStringLiteral("HTML"), QStringLiteral("HEAD"), QStringLiteral("TITLE"),
                                     QStringLiteral("BODY"), QStringLiteral("A"),    QStringLiteral("TABLE"),
                                     QStringLiteral("TR"),   QStringLiteral("TD"),   QStringLiteral("IMG"),
                                     QStringLiteral("P"),    QStringLiteral("H3"),   QStringLiteral("UL"),
                                     QStringLiteral("LI"),   QStringLiteral("FONT"), QStringLiteral("BR"),
                                     QStringLiteral("B"),    QStringLiteral("I")};
    QString rest = page;
    int tags = 0;
    for (auto it = tag.globalMatch(page); it.hasNext();) {
        const auto match = it.next();
        EXPECT_TRUE(known.contains(match.captured(2))) << qPrintable(match.captured(0));
        ++tags;
    }
    rest.remove(tag);
    EXPECT_GT(tags, 20);
    EXPECT_FALSE(rest.contains(QLatin1Char('<'))) << qPrintable(rest);
    EXPECT_FALSE(rest.contains(QLatin1Char('>'))) << qPrintable(rest);
    // each name is one entry, escaped
    EXPECT_TRUE(page.contains(QStringLiteral("<LI><FONT SIZE='-1'>") + n.urlNames.at(1).toHtmlEscaped()
                              + QStringLiteral("</FONT></LI>")))
        << qPrintable(page);
    EXPECT_TRUE(page.contains(QStringLiteral("<P><B>Project: ") + n.project.toHtmlEscaped()));
    EXPECT_TRUE(page.contains(QStringLiteral("<LI>") + n.engines.at(0).toHtmlEscaped()));
}

TEST_F(hostile_names, NamesLongerThanTheirColumnAreFoundAndTheirProjectNamedTooLong)
{
    const test::HostileNames& n = s_fixture->names;
    // written whole by another program
    const QString longProject = QStringLiteral("Long") + QString(40, QLatin1Char('x'));
    const QString longEngine =
        QStringLiteral("Engine with a name much longer than its column ") + test::HostileNames::core();
    direct(QStringLiteral("CVProject"),
           QStringLiteral("INSERT INTO CVProject (Name, Depth, KeyURL) VALUES (%1, 20, 'Home')")
               .arg(SqlQuote::quoted(longProject)));
    direct(QStringLiteral("CVURL"),
           QStringLiteral("INSERT INTO CVURL (Name, URL, Project, AnyMatch) VALUES "
                          "('Home', 'example.com', %1, 1)")
               .arg(SqlQuote::quoted(longProject)));
    direct(QStringLiteral("CVST"),
           QStringLiteral("INSERT INTO CVST (Virtual, Physical, Project) VALUES "
                          "('term', 'term', %1)")
               .arg(SqlQuote::quoted(longProject)));
    direct(QStringLiteral("SE3"),
           QStringLiteral("INSERT INTO SE3 (Name, Country, Active) VALUES (%1, '', 1)")
               .arg(SqlQuote::quoted(longEngine)));
    direct(QStringLiteral("CVSE3"),
           QStringLiteral("INSERT INTO CVSE3 (Name, Project) VALUES (%1, %2)")
               .arg(SqlQuote::quoted(longEngine), SqlQuote::quoted(longProject)));

    EXPECT_TRUE(ProjectPlan::projectNames(m_data).contains(longProject));
    const ProjectPlan plan = ProjectPlan::load(m_data, m_data, longProject);
    EXPECT_EQ(plan.name, longProject);
    ASSERT_EQ(plan.engines.size(), 1);
    EXPECT_EQ(plan.engines.at(0).Name, longEngine);
    EXPECT_TRUE(plan.missingScripts.isEmpty());
    EXPECT_EQ(plan.incompleteReason(),
              QStringLiteral("the project name \"%1\" is longer than 32 characters, the search engine name "
                             "\"%2\" is longer than 32 characters")
                  .arg(longProject, longEngine));

    // a name as this program stores it is still found by the longer text it was cut from
    Table projects(&m_data, QStringLiteral("CVProject"));
    projects.open();
    projects.append();
    const QString cut = QStringLiteral("Cut") + QString(40, QLatin1Char('y'));
    projects.setValue(QStringLiteral("Name"), cut);
    projects.post();
    EXPECT_TRUE(projects.locate({QStringLiteral("Name")}, {cut}));
    EXPECT_EQ(projects.asString(QStringLiteral("Name")).size(), 32);
    EXPECT_TRUE(projects.locate({QStringLiteral("Name")}, {longProject}));
    EXPECT_EQ(projects.asString(QStringLiteral("Name")), longProject);

    // engines without a country: reachable through a filter of their own
    EngineFilter filter;
    filter.country = QStringList{QString()};
    Query inactive(&m_data, ProjectStore::inactiveEngineSql(QStringLiteral("Nobody"), filter));
    inactive.open();
    QStringList names;
    for (inactive.first(); !inactive.eof(); inactive.next())
        names << inactive.asString(QStringLiteral("Name"));
    EXPECT_EQ(names, (QStringList{longEngine, n.engines.at(1)}));
}
