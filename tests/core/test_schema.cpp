// The table definitions: what they declare, and that the data layer creates
// every table with its named indexes, unique ones rejecting duplicates.

#include "core/data/DatabaseError.h"
#include "core/data/Dataset.h"
#include "core/data/Schema.h"
#include "core/data/TableDatabase.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryDir>
#include <QTime>
#include <QVariant>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>

using namespace corvane;

void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace {

QStringList fieldNames(const TableDef& def)
{
    QStringList names;
    for (const FieldDef& field : def.fields)
        names << field.name;
    return names;
}

QStringList numberedNames(const char* stem, int count)
{
    QStringList names;
    for (int i = 1; i <= count; ++i)
        names << QLatin1String(stem) + QString::number(i);
    return names;
}

void expectFields(const char* table, const QStringList& names)
{
    const TableDef* def = Schema::table(QLatin1String(table));
    ASSERT_NE(def, nullptr) << table;
    for (const QString& name : names)
        EXPECT_NE(def->field(name), nullptr) << table << "." << name.toStdString();
}

void expectIndex(const char* table, const char* index, const QStringList& fields, bool unique,
                 bool caseInsensitive = false)
{
    const TableDef* def = Schema::table(QLatin1String(table));
    ASSERT_NE(def, nullptr) << table;
    const IndexDef* found = def->index(QLatin1String(index));
    ASSERT_NE(found, nullptr) << table << " " << index;
    EXPECT_EQ(found->fields, fields) << table << " " << index;
    EXPECT_EQ(found->unique, unique) << table << " " << index;
    EXPECT_EQ(found->caseInsensitive, caseInsensitive) << table << " " << index;
}

// A value for a field of the given type; `variant` makes rows differ.
QVariant sampleValue(const FieldDef& field, int variant)
{
    switch (field.type) {
    case FieldType::String:
    case FieldType::Memo: return QStringLiteral("v%1").arg(variant);
    case FieldType::Integer:
    case FieldType::AutoInc: return variant;
    case FieldType::Float: return variant + 0.5;
    case FieldType::Boolean: return variant % 2 == 1;
    case FieldType::Date: return QDate(2005, 1, 1).addDays(variant);
    case FieldType::Time: return QTime(10, 0).addSecs(variant);
    case FieldType::DateTime: return QDateTime(QDate(2005, 1, 1), QTime(10, 0)).addDays(variant);
    case FieldType::Graphic: return QByteArray(QByteArray("img") + QByteArray::number(variant));
    }
    return {};
}

// Table files are written with the engine's full syncing; a memory-backed
// temporary folder, where there is one, keeps tests that create and fill every
// table quick.
std::unique_ptr<QTemporaryDir> temporaryDataRoot()
{
    const QFileInfo shm(QStringLiteral("/dev/shm"));
    if (shm.isDir() && shm.isWritable()) {
        auto dir = std::make_unique<QTemporaryDir>(shm.filePath() + QStringLiteral("/corvane-test-XXXXXX"));
        if (dir->isValid())
            return dir;
    }
    return std::make_unique<QTemporaryDir>();
}

// A data folder with every table of the schema, SE3 protected by its password.
class SchemaDatabase : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_session = std::make_unique<Session>(QStringLiteral("SchemaTest"));
        m_session->setPasswordHook([](Session& session) {
            session.addPassword(QLatin1String(Schema::SE3Password));
            return true;
        });
        m_database = std::make_unique<Database>(QStringLiteral("SchemaTest"), m_session.get());
        QDir().mkpath(dataFolder());
        m_database->setDirectory(dataFolder());
        m_database->connect();
        for (const TableDef& def : Schema::tables())
            m_database->createTable(def,
                                    def.passwordProtected ? QLatin1String(Schema::SE3Password) : QString());
    }

    QString dataFolder() const { return m_root->filePath(QStringLiteral("Data")); }

    std::unique_ptr<QTemporaryDir> m_root = temporaryDataRoot();
    std::unique_ptr<Session> m_session;
    std::unique_ptr<Database> m_database;
};

} // namespace

// ---------------------------------------------------------------- definitions

TEST(Schema, EveryTableOnceAndFoundWithoutRegardToCase)
{
    const QStringList expected = {
        QStringLiteral("CVProject"), QStringLiteral("CVURL"),        QStringLiteral("CVST"),
        QStringLiteral("CVSE3"),     QStringLiteral("SE3"),          QStringLiteral("CVRank"),
        QStringLiteral("CVHilo"),    QStringLiteral("Summary"),      QStringLiteral("CVEngine"),
        QStringLiteral("CVSQLTee"),  QStringLiteral("CVChartCache"), QStringLiteral("CVReportThemes"),
        QStringLiteral("CVReports"), QStringLiteral("CVLog"),        QStringLiteral("CVNotable"),
        QStringLiteral("CVNotify"),  QStringLiteral("CVEmail"),      QStringLiteral("Schedule"),
        QStringLiteral("CVQueries"), QStringLiteral("CVMix"),        QStringLiteral("Phrase"),
        QStringLiteral("PPExport"),  QStringLiteral("Hint"),         QStringLiteral("Merge"),
        QStringLiteral("Temp2"),
    };
    QStringList names;
    for (const TableDef& def : Schema::tables())
        names << def.name;
    EXPECT_EQ(names, expected);

    EXPECT_EQ(Schema::table(QStringLiteral("cvhilo")), Schema::table(QStringLiteral("CVHiLo")));
    EXPECT_EQ(Schema::table(QStringLiteral("SE3"))->name, QStringLiteral("SE3"));
    EXPECT_EQ(Schema::table(QStringLiteral("CVReportTemp")), nullptr);
    EXPECT_EQ(Schema::table(QStringLiteral("Temp")), nullptr);
    EXPECT_EQ(Schema::se3DatabaseTables(), (QStringList{QStringLiteral("SE3"), QStringLiteral("CVReports")}));
}

TEST(Schema, OnlyTheEngineScriptsAreProtected)
{
    for (const TableDef& def : Schema::tables())
        EXPECT_EQ(def.passwordProtected, def.name == QLatin1String("SE3")) << def.name.toStdString();
    EXPECT_STREQ(Schema::SE3Password, "K305718B2");
}

TEST(Schema, FieldsAreUniqueAndIndexesNameTheirFields)
{
    for (const TableDef& def : Schema::tables()) {
        QSet<QString> seen;
        for (const FieldDef& field : def.fields) {
            EXPECT_FALSE(seen.contains(field.name.toLower()))
                << def.name.toStdString() << "." << field.name.toStdString();
            seen.insert(field.name.toLower());
            if (field.type != FieldType::String) {
                EXPECT_EQ(field.size, 0) << def.name.toStdString() << "." << field.name.toStdString();
            }
        }
        QSet<QString> indexNames;
        for (const IndexDef& index : def.indexes) {
            EXPECT_FALSE(indexNames.contains(index.name.toLower())) << index.name.toStdString();
            indexNames.insert(index.name.toLower());
            EXPECT_FALSE(index.fields.isEmpty()) << index.name.toStdString();
            for (const QString& field : index.fields)
                EXPECT_NE(def.field(field), nullptr)
                    << def.name.toStdString() << " " << index.name.toStdString();
        }
    }
}

TEST(Schema, NamedIndexes)
{
    expectIndex("CVProject", "Nameidx", {QStringLiteral("Name")}, true);
    expectIndex("CVURL", "Nameidx", {QStringLiteral("Name")}, false);
    expectIndex("CVURL", "NameProjidx", {QStringLiteral("Name"), QStringLiteral("Project")}, true);
    expectIndex("CVURL", "URLProjidx", {QStringLiteral("URL"), QStringLiteral("Project")}, true);
    expectIndex("CVST", "STVirtidx", {QStringLiteral("Virtual"), QStringLiteral("Project")}, true);
    expectIndex("CVSE3", "NameProjidx", {QStringLiteral("Name"), QStringLiteral("Project")}, true, true);
    expectIndex("CVSE3", "Nameidx", {QStringLiteral("Name")}, false, true);
    expectIndex("SE3", "SEName", {QStringLiteral("Name")}, true);
    expectIndex("CVRank", "RankDateidx", {QStringLiteral("xDate")}, false);
    expectIndex("CVHilo", "HiloDateidx", {QStringLiteral("xDate")}, false);
    expectIndex("Summary", "Dateidx", {QStringLiteral("xDate")}, false);
    expectIndex("CVSQLTee", "SQLTeeFileidx", {QStringLiteral("Project"), QStringLiteral("File")}, false);
    expectIndex("CVChartCache", "xDateidx",
                {QStringLiteral("Project"), QStringLiteral("Chart"), QStringLiteral("xDate")}, false);
    expectIndex("CVReports", "Reportidx", {QStringLiteral("Report"), QStringLiteral("Project")}, false);
    expectIndex("CVLog", "LogDateidx", {QStringLiteral("xDate"), QStringLiteral("xTime")}, false);
    expectIndex("CVNotable", "NotableDateidx", {QStringLiteral("xDate"), QStringLiteral("xTime")}, false);
    expectIndex("CVEmail", "Name.idx", {QStringLiteral("Name")}, false);
    expectIndex("CVQueries", "Nameidx", {QStringLiteral("Name"), QStringLiteral("Project")}, true);
    expectIndex("CVMix", "Nameidx", {QStringLiteral("Name")}, true);
    expectIndex("Hint", "Seqidx", {QStringLiteral("Sequence")}, true);
    expectIndex("Merge", "xDateidx", {QStringLiteral("xDate")}, false);
    expectIndex("Temp2", "URLidx", {QStringLiteral("URL")}, false);
}

TEST(Schema, IndexesForAYearOfRankData)
{
    expectIndex("CVRank", "RankProjDateidx",
                {QStringLiteral("Project"), QStringLiteral("xDate"), QStringLiteral("SearchEngine"),
                 QStringLiteral("SearchTerm"), QStringLiteral("URL")},
                false);
    expectIndex("CVRank", "RankSeriesidx",
                {QStringLiteral("Project"), QStringLiteral("SearchEngine"), QStringLiteral("SearchTerm"),
                 QStringLiteral("URL"), QStringLiteral("xDate")},
                false);
    expectIndex("CVHilo", "HiloProjDateidx",
                {QStringLiteral("Project"), QStringLiteral("xDate"), QStringLiteral("SearchEngine")}, false);
    expectIndex("CVSE3", "NameExactidx", {QStringLiteral("Name"), QStringLiteral("Project")}, false);
    expectIndex("Summary", "SummaryProjTypeidx",
                {QStringLiteral("Project"), QStringLiteral("Type"), QStringLiteral("xDate")}, false);
}

TEST(Schema, EngineCatalogueCarriesEveryScriptColumn)
{
    QStringList names = {
        QStringLiteral("Name"),          QStringLiteral("HomePage"),    QStringLiteral("AddPage"),
        QStringLiteral("Country"),       QStringLiteral("Popularity"),  QStringLiteral("PopSource"),
        QStringLiteral("Pop1"),          QStringLiteral("Pop2"),        QStringLiteral("Pop3"),
        QStringLiteral("Notes"),         QStringLiteral("SpecNotes"),   QStringLiteral("API"),
        QStringLiteral("LastUpdate"),    QStringLiteral("Active"),      QStringLiteral("Delay"),
        QStringLiteral("Delay2"),        QStringLiteral("EngineInc"),   QStringLiteral("Method1"),
        QStringLiteral("OffsetField"),   QStringLiteral("OffsetValue"), QStringLiteral("WordConnector"),
        QStringLiteral("StartKey"),      QStringLiteral("EndKey"),      QStringLiteral("ReverseStartKey"),
        QStringLiteral("StartKeyPlanB"), QStringLiteral("UserAgent"),   QStringLiteral("AIncStart"),
        QStringLiteral("AIncEnd"),       QStringLiteral("ANumberInc"),  QStringLiteral("APageLength"),
        QStringLiteral("BIncStart"),     QStringLiteral("BIncEnd"),     QStringLiteral("BNumberInc"),
        QStringLiteral("BPageLength"),   QStringLiteral("IncPlanB"),    QStringLiteral("TagFirst"),
        QStringLiteral("HTTPStart"),     QStringLiteral("HTTPLoc"),     QStringLiteral("HTTPEnd"),
    };
    names += numberedNames("Group", 5);
    names += numberedNames("AString", 10);
    names += numberedNames("AValue", 10);
    names += numberedNames("BString", 10);
    names += numberedNames("BValue", 10);
    names += numberedNames("ReplaceThis", 10);
    names += numberedNames("ReplaceWith", 10);
    names += numberedNames("TruncStart", 5);
    names += numberedNames("TruncEnd", 5);
    expectFields("SE3", names);

    const TableDef* se3 = Schema::table(QStringLiteral("SE3"));
    EXPECT_EQ(se3->field(QStringLiteral("IncPlanB"))->type, FieldType::Memo);
    EXPECT_EQ(se3->field(QStringLiteral("StartKeyPlanB"))->type, FieldType::Memo);
    EXPECT_EQ(se3->field(QStringLiteral("Notes"))->type, FieldType::Memo);
    EXPECT_EQ(se3->field(QStringLiteral("Method1"))->type, FieldType::Boolean);
    EXPECT_EQ(se3->field(QStringLiteral("HTTPLoc"))->type, FieldType::Integer);
    EXPECT_EQ(se3->field(QStringLiteral("LastUpdate"))->type, FieldType::Date);
}

TEST(Schema, ColumnsOfTheOtherTables)
{
    expectFields("CVProject",
                 {QStringLiteral("Name"), QStringLiteral("Depth"), QStringLiteral("KeyURL"),
                  QStringLiteral("FullURLData"), QStringLiteral("StopOnHit"), QStringLiteral("LastRun"),
                  QStringLiteral("Logo_Basic_Chart"), QStringLiteral("Logo_Basic_Rpt"),
                  QStringLiteral("Logo_GandL_Chart"), QStringLiteral("Logo_GandL_Rpt"),
                  QStringLiteral("Logo_Pos_Rpt"), QStringLiteral("Logo_Scores_Chart"),
                  QStringLiteral("Logo_Scores_Rpt"), QStringLiteral("Logo_SEPop_Rpt")});
    expectFields("CVURL",
                 {QStringLiteral("Name"), QStringLiteral("URL"), QStringLiteral("Project"),
                  QStringLiteral("AnyMatch")});
    expectFields("CVST", {QStringLiteral("Virtual"), QStringLiteral("Physical"), QStringLiteral("Project")});
    expectFields("CVRank",
                 {QStringLiteral("Project"), QStringLiteral("SearchEngine"), QStringLiteral("SearchTerm"),
                  QStringLiteral("URL"), QStringLiteral("Rank"), QStringLiteral("Page"),
                  QStringLiteral("xDate"), QStringLiteral("FoundLink")});
    expectFields("CVHilo",
                 {QStringLiteral("Project"), QStringLiteral("xDate"), QStringLiteral("URL"),
                  QStringLiteral("SearchEngine"), QStringLiteral("SearchTerm"),
                  QStringLiteral("AltYesterday"), QStringLiteral("AltToday"), QStringLiteral("Difference"),
                  QStringLiteral("Inc")});
    expectFields("Summary",
                 {QStringLiteral("Project"), QStringLiteral("xDate"), QStringLiteral("Type"),
                  QStringLiteral("SearchEngine"), QStringLiteral("SearchTerm"), QStringLiteral("URL"),
                  QStringLiteral("Rank"), QStringLiteral("Page")});
    expectFields("CVEngine",
                 {QStringLiteral("Project"), QStringLiteral("SE3Name"), QStringLiteral("STName"),
                  QStringLiteral("LastRecord"), QStringLiteral("Depth"), QStringLiteral("Completed")});
    expectFields("CVSQLTee",
                 {QStringLiteral("Project"),
                  QStringLiteral("File"),
                  QStringLiteral("Chart"),
                  QStringLiteral("PopOrder"),
                  QStringLiteral("ForEach"),
                  QStringLiteral("Select1"),
                  QStringLiteral("Select2"),
                  QStringLiteral("Title"),
                  QStringLiteral("DateType"),
                  QStringLiteral("DateValue"),
                  QStringLiteral("DateStart"),
                  QStringLiteral("DateEnd"),
                  QStringLiteral("FillDates"),
                  QStringLiteral("ShowNoValue"),
                  QStringLiteral("Design_3D"),
                  QStringLiteral("Design_Image"),
                  QStringLiteral("Design_ImageLeft"),
                  QStringLiteral("Design_ImageTop"),
                  QStringLiteral("Design_Palette"),
                  QStringLiteral("Design_PointsPerPage"),
                  QStringLiteral("Design_RemoveBands"),
                  QStringLiteral("Design_SeriesType"),
                  QStringLiteral("Design_ShowMarks"),
                  QStringLiteral("Design_Theme")});
    expectFields("CVChartCache",
                 {QStringLiteral("Project"), QStringLiteral("Chart"), QStringLiteral("Legend"),
                  QStringLiteral("xDate"), QStringLiteral("xValue")});
    expectFields("CVReportThemes",
                 {QStringLiteral("ThemeName"), QStringLiteral("ThemeType"), QStringLiteral("Chart_Type"),
                  QStringLiteral("Chart_ShowMarks"), QStringLiteral("Chart_RemoveBands"),
                  QStringLiteral("Chart_PointsPerPage"), QStringLiteral("Chart_Theme"),
                  QStringLiteral("Chart_Palette"), QStringLiteral("Chart_Image"),
                  QStringLiteral("Chart_ImageLeft"), QStringLiteral("Chart_ImageTop"),
                  QStringLiteral("Chart_3D")});
    expectFields("CVLog",
                 {QStringLiteral("xDate"), QStringLiteral("xTime"), QStringLiteral("Message"),
                  QStringLiteral("Project")});
    expectFields("CVNotable",
                 {QStringLiteral("Project"), QStringLiteral("xDate"), QStringLiteral("xTime"),
                  QStringLiteral("Type"), QStringLiteral("Subject"), QStringLiteral("Content")});
    expectFields("CVNotify",
                 {QStringLiteral("Name"), QStringLiteral("Project"), QStringLiteral("URLs"),
                  QStringLiteral("SearchTerms"), QStringLiteral("SearchEngines")});
    expectFields("CVEmail", {QStringLiteral("Name"), QStringLiteral("Project")});
    expectFields("Schedule", {QStringLiteral("Name"), QStringLiteral("Projects")});
    expectFields("CVQueries",
                 {QStringLiteral("Name"), QStringLiteral("Project"), QStringLiteral("SelectedFields"),
                  QStringLiteral("Conditions"), QStringLiteral("OrderBy"), QStringLiteral("Ascend"),
                  QStringLiteral("FullSQL")});
    expectFields("CVMix",
                 {QStringLiteral("Name"), QStringLiteral("URLCount"), QStringLiteral("SE"),
                  QStringLiteral("MetaTitle"), QStringLiteral("MetaDesc"), QStringLiteral("MetaST"),
                  QStringLiteral("KWDensity")});
    expectFields("Phrase",
                 {QStringLiteral("Phrase"), QStringLiteral("PhraseCount"), QStringLiteral("KWDensity")});
    expectFields("PPExport",
                 {QStringLiteral("xDate"), QStringLiteral("Rank"), QStringLiteral("Page"),
                  QStringLiteral("URL"), QStringLiteral("SearchTerm"), QStringLiteral("SearchEngine")});
    expectFields("Hint", {QStringLiteral("Sequence"), QStringLiteral("Caption"), QStringLiteral("Hint")});
    expectFields("Merge", {QStringLiteral("xDate")});
    expectFields("Temp2", {QStringLiteral("URL"), QStringLiteral("SearchEngine"), QStringLiteral("Rank")});
    // projects of the outside programs' tables, counted when a project goes
    expectFields("CVReports", {QStringLiteral("Project")});
}

TEST(Schema, EnginesPerProjectDeclaredAsFixed)
{
    const TableDef* def = Schema::table(QStringLiteral("CVSE3"));
    ASSERT_NE(def, nullptr);
    EXPECT_EQ(fieldNames(*def),
              (QStringList{QStringLiteral("Name"), QStringLiteral("Project"), QStringLiteral("Popularity"),
                           QStringLiteral("Country"), QStringLiteral("Group1"), QStringLiteral("Group2"),
                           QStringLiteral("Group3"), QStringLiteral("Group4"), QStringLiteral("Group5"),
                           QStringLiteral("API")}));
    EXPECT_EQ(def->field(QStringLiteral("Name"))->size, 32);
    EXPECT_TRUE(def->field(QStringLiteral("Name"))->required);
    EXPECT_EQ(def->field(QStringLiteral("Project"))->size, 32);
    EXPECT_EQ(def->field(QStringLiteral("Country"))->size, 16);
    EXPECT_EQ(def->field(QStringLiteral("Group5"))->size, 16);
    EXPECT_EQ(def->indexes.first().name, QStringLiteral("NameProjidx"));
    EXPECT_EQ(def->indexes.at(1).name, QStringLiteral("Nameidx"));
}

// The report copies of the rank columns declare URL 64, SearchEngine 32,
// SearchTerm 64 and Project 32 characters: nothing stored may be longer.
TEST(Schema, RankColumnsFitTheReportCopies)
{
    const struct
    {
        const char* column;
        int width;
    } limits[] = {{"Project", 32}, {"SearchEngine", 32}, {"SearchTerm", 64}, {"URL", 64}};
    for (const TableDef& def : Schema::tables()) {
        // CVURL.URL is the watched address, not a URL name; PPExport keeps
        // the tool's HTML cells
        if (def.name == QLatin1String("PPExport"))
            continue;
        for (const auto& limit : limits) {
            const FieldDef* field = def.field(QLatin1String(limit.column));
            if (!field || (def.name == QLatin1String("CVURL") && field->name == QLatin1String("URL")))
                continue;
            EXPECT_EQ(field->type, FieldType::String) << def.name.toStdString() << "." << limit.column;
            EXPECT_GT(field->size, 0) << def.name.toStdString() << "." << limit.column;
            EXPECT_LE(field->size, limit.width) << def.name.toStdString() << "." << limit.column;
        }
    }
    // the names the rank tables refer to fit them as well
    EXPECT_LE(Schema::table(QStringLiteral("CVURL"))->field(QStringLiteral("Name"))->size, 64);
    EXPECT_LE(Schema::table(QStringLiteral("CVST"))->field(QStringLiteral("Virtual"))->size, 64);
    EXPECT_LE(Schema::table(QStringLiteral("SE3"))->field(QStringLiteral("Name"))->size, 32);
    EXPECT_LE(Schema::table(QStringLiteral("CVProject"))->field(QStringLiteral("Name"))->size, 32);
}

// ---------------------------------------------------------------- created by the data layer

TEST_F(SchemaDatabase, EveryTableIsCreatedWithItsDefinition)
{
    for (const TableDef& def : Schema::tables()) {
        SCOPED_TRACE(def.name.toStdString());
        ASSERT_TRUE(m_database->tableExists(def.name));
        TableDef stored;
        ASSERT_NO_THROW(stored = m_database->tableDef(def.name));
        EXPECT_EQ(stored.name.compare(def.name, Qt::CaseInsensitive), 0);
        EXPECT_EQ(fieldNames(stored), fieldNames(def));
        for (const FieldDef& field : def.fields) {
            const FieldDef* read = stored.field(field.name);
            ASSERT_NE(read, nullptr) << field.name.toStdString();
            EXPECT_EQ(read->type, field.type) << field.name.toStdString();
            if (field.type == FieldType::String) {
                EXPECT_EQ(read->size, field.size) << field.name.toStdString();
            }
        }
        for (const IndexDef& index : def.indexes) {
            const IndexDef* read = stored.index(index.name);
            ASSERT_NE(read, nullptr) << index.name.toStdString();
            EXPECT_EQ(read->name, index.name);
            EXPECT_EQ(read->fields, index.fields) << index.name.toStdString();
            EXPECT_EQ(read->unique, index.unique) << index.name.toStdString();
            EXPECT_EQ(read->caseInsensitive, index.caseInsensitive) << index.name.toStdString();
        }
        EXPECT_EQ(stored.passwordProtected, def.passwordProtected);
    }
    QStringList expected;
    for (const TableDef& def : Schema::tables())
        expected << def.name;
    EXPECT_EQ(m_database->tableNames().size(), expected.size());
}

TEST_F(SchemaDatabase, UniqueIndexesRejectDuplicates)
{
    for (const TableDef& def : Schema::tables()) {
        for (const IndexDef& index : def.indexes) {
            if (!index.unique)
                continue;
            SCOPED_TRACE(def.name.toStdString() + " " + index.name.toStdString());
            m_database->emptyTable(def.name);
            Table table(m_database.get(), def.name);
            table.open();
            // two rows that differ everywhere but in the key
            for (int row = 1; row <= 2; ++row) {
                table.append();
                for (const FieldDef& field : def.fields) {
                    QVariant value = sampleValue(field, row);
                    if (index.fields.contains(field.name)) {
                        value = sampleValue(field, 7);
                        if (row == 2 && index.caseInsensitive && field.type == FieldType::String)
                            value = value.toString().toUpper();
                    }
                    table.setValue(field.name, value);
                }
                if (row == 1) {
                    ASSERT_NO_THROW(table.post());
                    continue;
                }
                try {
                    table.post();
                    ADD_FAILURE() << "the duplicate key was stored";
                } catch (const DatabaseError& e) {
                    EXPECT_EQ(e.code(), DatabaseError::KeyViolation);
                    EXPECT_TRUE(e.message().contains(QLatin1String("Duplicate key")))
                        << e.message().toStdString();
                    EXPECT_TRUE(e.message().contains(index.name)) << e.message().toStdString();
                    table.cancel();
                }
            }
            EXPECT_EQ(table.recordCount(), 1);
            table.close();
        }
    }
}

TEST_F(SchemaDatabase, KeysOfOneProjectDoNotClashWithAnother)
{
    Table urls(m_database.get(), QStringLiteral("CVURL"));
    urls.open();
    for (const char* project : {"Alpha", "Beta"}) {
        urls.append();
        urls.setValue(QStringLiteral("Name"), QStringLiteral("Home"));
        urls.setValue(QStringLiteral("URL"), QStringLiteral("example.com"));
        urls.setValue(QStringLiteral("Project"), QLatin1String(project));
        EXPECT_NO_THROW(urls.post());
    }
    EXPECT_EQ(urls.recordCount(), 2);
}

TEST_F(SchemaDatabase, EngineScriptsNeedThePassword)
{
    Session bare(QStringLiteral("NoPassword"));
    Database database(QStringLiteral("NoPassword"), &bare);
    database.setDirectory(dataFolder());
    database.connect();
    try {
        database.checkTable(QStringLiteral("SE3"));
        ADD_FAILURE() << "SE3 opened without its password";
    } catch (const DatabaseError& e) {
        EXPECT_EQ(e.code(), DatabaseError::PasswordRequired);
    }
    EXPECT_NO_THROW(database.checkTable(QStringLiteral("CVReports")));
    EXPECT_NO_THROW(m_database->checkTable(QStringLiteral("SE3")));
}
