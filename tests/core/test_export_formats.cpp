// Every file format of the export wizard, written and read back.
#include "core/export/ExportData.h"
#include "core/export/ExportDateSettings.h"
#include "core/export/ExportFile.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <zip.h>

using namespace corvane;

namespace {

ExportData sample()
{
    ExportData data;
    data.name = QStringLiteral("PPExport");
    data.columns = {{QStringLiteral("xDate"), ExportColumn::Type::Date},
                    {QStringLiteral("Rank"), ExportColumn::Type::Integer},
                    {QStringLiteral("URL"), ExportColumn::Type::Text}};
    data.rows = {{QDate(2026, 12, 7), 3, QStringLiteral("O'Reilly, \"books\" <b>&</b>")},
                 {QDate(2026, 1, 5), 17, QStringLiteral("two\nlines\tand tab")},
                 {QVariant(), QVariant(), QVariant()}};
    return data;
}

ExportOptions options()
{
    ExportOptions o;
    o.title = QStringLiteral("Duvuda Duvedozo");
    o.dates = ExportDateSettings::fromShortDateFormat(QStringLiteral("dd.MM.yyyy"));
    return o;
}

class export_formats : public ::testing::Test
{
protected:
    QString write(ExportFormat format)
    {
        const QString path = ExportFile::withExtension(profile.path(QStringLiteral("DuroViz")), format);
        const QString error = ExportFile::write(format, sample(), options(), path);
        EXPECT_EQ(error, QString());
        return path;
    }
    static QString read(const QString& path)
    {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        return QString::fromUtf8(file.readAll());
    }
    test::TempProfile profile;
};

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

} // namespace

TEST(ExportDates, TakenFromTheShortDateFormat)
{
    const ExportDateSettings us = ExportDateSettings::fromShortDateFormat(QStringLiteral("M/d/yy"));
    EXPECT_EQ(us.separator, QLatin1Char('/'));
    EXPECT_FALSE(us.fourDigitYear);
    EXPECT_EQ(us.order, QStringLiteral("MDY"));
    EXPECT_EQ(us.format(QDate(2026, 12, 7)), QStringLiteral("12/7/26"));

    const ExportDateSettings de = ExportDateSettings::fromShortDateFormat(QStringLiteral("dd.MM.yyyy"));
    EXPECT_EQ(de.order, QStringLiteral("DMY"));
    EXPECT_EQ(de.format(QDate(2026, 1, 5)), QStringLiteral("05.01.2026"));
    EXPECT_EQ(de.spreadsheetFormat(), QStringLiteral("dd.mm.yyyy"));

    const ExportDateSettings iso = ExportDateSettings::fromShortDateFormat(QStringLiteral("yyyy-MM-dd"));
    EXPECT_EQ(iso.order, QStringLiteral("YMD"));
    EXPECT_EQ(iso.format(QDate(2026, 1, 5)), QStringLiteral("2026-01-05"));
}

TEST(ExportFileNames, TheExtensionFollowsTheFormat)
{
    EXPECT_EQ(ExportFile::withExtension(QStringLiteral("/x/DuroViz"), ExportFormat::Xlsx),
              QStringLiteral("/x/DuroViz.xlsx"));
    EXPECT_EQ(ExportFile::withExtension(QStringLiteral("/x/DuroViz.xlsx"), ExportFormat::Csv),
              QStringLiteral("/x/DuroViz.csv"));
    EXPECT_EQ(ExportFile::withExtension(QStringLiteral("/x/a.b"), ExportFormat::Json),
              QStringLiteral("/x/a.b.json"));
    EXPECT_EQ(ExportFile::formats().first().format, ExportFormat::Xlsx);
}

TEST_F(export_formats, CsvQuotesWhatNeedsIt)
{
    EXPECT_EQ(read(write(ExportFormat::Csv)),
              QStringLiteral("xDate,Rank,URL\r\n07.12.2026,3,\"O'Reilly, \"\"books\"\" <b>&</b>\"\r\n"
                             "05.01.2026,17,\"two\nlines\tand tab\"\r\n,,\r\n"));
}

TEST_F(export_formats, TabDelimitedKeepsOneLinePerRow)
{
    EXPECT_EQ(read(write(ExportFormat::TabDelimited)),
              QStringLiteral("xDate\tRank\tURL\n07.12.2026\t3\tO'Reilly, \"books\" <b>&</b>\n"
                             "05.01.2026\t17\ttwo lines and tab\n\t\t\n"));
}

TEST_F(export_formats, HtmlEscapesValues)
{
    const QString html = read(write(ExportFormat::Html));
    EXPECT_TRUE(html.contains(QStringLiteral("<title>Duvuda Duvedozo</title>")));
    EXPECT_TRUE(html.contains(QStringLiteral("<th>xDate</th><th>Rank</th><th>URL</th>")));
    EXPECT_TRUE(
        html.contains(QStringLiteral("<td>07.12.2026</td><td align=\"right\">3</td>"
                                     "<td>O'Reilly, &quot;books&quot; &lt;b&gt;&amp;&lt;/b&gt;</td>")));
}

TEST_F(export_formats, XmlReadsBackFieldByField)
{
    QXmlStreamReader xml(read(write(ExportFormat::Xml)));
    QStringList values;
    QString title;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("Export"))
            title = xml.attributes().value(QStringLiteral("title")).toString();
        if (xml.isStartElement() && xml.name() == QLatin1String("Field")) {
            const QString name = xml.attributes().value(QStringLiteral("name")).toString();
            values << name + QLatin1Char('=') + xml.readElementText();
        }
    }
    ASSERT_FALSE(xml.hasError()) << qPrintable(xml.errorString());
    EXPECT_EQ(title, QStringLiteral("Duvuda Duvedozo"));
    ASSERT_EQ(values.size(), 9);
    EXPECT_EQ(values.at(0), QStringLiteral("xDate=2026-12-07"));
    EXPECT_EQ(values.at(2), QStringLiteral("URL=O'Reilly, \"books\" <b>&</b>"));
    EXPECT_EQ(values.at(5), QStringLiteral("URL=two\nlines\tand tab"));
    EXPECT_EQ(values.at(6), QStringLiteral("xDate="));
}

TEST_F(export_formats, JsonHasOneObjectPerRow)
{
    QJsonParseError error;
    const QJsonArray records =
        QJsonDocument::fromJson(read(write(ExportFormat::Json)).toUtf8(), &error).array();
    ASSERT_EQ(error.error, QJsonParseError::NoError);
    ASSERT_EQ(records.size(), 3);
    const QJsonObject first = records.at(0).toObject();
    EXPECT_EQ(first.value(QStringLiteral("xDate")).toString(), QStringLiteral("2026-12-07"));
    EXPECT_EQ(first.value(QStringLiteral("Rank")).toInt(), 3);
    EXPECT_EQ(first.value(QStringLiteral("URL")).toString(), QStringLiteral("O'Reilly, \"books\" <b>&</b>"));
    EXPECT_TRUE(records.at(2).toObject().value(QStringLiteral("Rank")).isNull());
}

TEST_F(export_formats, SqlStatementsRunAgainstATable)
{
    const QString sql = read(write(ExportFormat::Sql));
    EXPECT_TRUE(
        sql.startsWith(QStringLiteral("INSERT INTO \"PPExport\" (\"xDate\", \"Rank\", \"URL\") VALUES "
                                      "('2026-12-07', 3, 'O''Reilly, \"books\" <b>&</b>');\n")))
        << qPrintable(sql);
    EXPECT_TRUE(sql.contains(QStringLiteral("VALUES (NULL, NULL, NULL);")));
    EXPECT_EQ(sql.count(QStringLiteral("INSERT INTO")), 3);
}

TEST_F(export_formats, XlsxHoldsNumbersDatesAndSharedStrings)
{
    const QString path = write(ExportFormat::Xlsx);
    const QString sheet = QString::fromUtf8(zipMember(path, "xl/worksheets/sheet1.xml"));
    const QString strings = QString::fromUtf8(zipMember(path, "xl/sharedStrings.xml"));
    const QString styles = QString::fromUtf8(zipMember(path, "xl/styles.xml"));
    const QString workbook = QString::fromUtf8(zipMember(path, "xl/workbook.xml"));
    ASSERT_FALSE(sheet.isEmpty());
    EXPECT_TRUE(workbook.contains(QStringLiteral("name=\"Duvuda Duvedozo\"")));
    // Rank 3 in B2 and 17 in B3 as numbers; the dates as serial day numbers.
    EXPECT_TRUE(sheet.contains(QStringLiteral("<c r=\"B2\"><v>3</v></c>"))) << qPrintable(sheet);
    EXPECT_TRUE(sheet.contains(QStringLiteral("<c r=\"B3\"><v>17</v></c>")));
    EXPECT_TRUE(sheet.contains(QStringLiteral("<v>46363</v>"))); // 2026-12-07
    EXPECT_TRUE(styles.contains(QStringLiteral("formatCode=\"dd.mm.yyyy\"")));
    EXPECT_TRUE(strings.contains(QStringLiteral("O'Reilly, \"books\" &lt;b&gt;&amp;&lt;/b&gt;"))
                || strings.contains(QStringLiteral("O'Reilly, &quot;books&quot; &lt;b&gt;&amp;&lt;/b&gt;")))
        << qPrintable(strings);
    EXPECT_TRUE(strings.contains(QStringLiteral(">xDate<")));
    EXPECT_FALSE(QFile::exists(path + QStringLiteral(".part")));
}

TEST_F(export_formats, AFailedExportNamesTheProblemAndLeavesNoFile)
{
    const QString missing = profile.path(QStringLiteral("no/such/folder/DuroViz.csv"));
    EXPECT_TRUE(ExportFile::write(ExportFormat::Csv, sample(), options(), missing)
                    .contains(QStringLiteral("does not exist")));
    EXPECT_FALSE(ExportFile::write(ExportFormat::Csv, sample(), options(), QString()).isEmpty());

    // A folder where the workbook should go: nothing is replaced, nothing half-written stays.
    const QString folder = profile.path(QStringLiteral("Taken.xlsx"));
    ASSERT_TRUE(QDir().mkpath(folder));
    EXPECT_FALSE(ExportFile::write(ExportFormat::Xlsx, sample(), options(), folder).isEmpty());
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_FALSE(QFile::exists(folder + QStringLiteral(".part")));
}
