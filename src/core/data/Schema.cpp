#include "core/data/Schema.h"

#include <initializer_list>

namespace corvane::Schema {
namespace {

// Widths shared by every table that holds the rank columns. The report copies
// of those columns declare URL 64, SearchEngine 32, SearchTerm 64 and
// Project 32 characters, so no table may hold longer values.
constexpr int ProjectWidth = 32;
constexpr int EngineWidth = 32;
constexpr int TermWidth = 64;
constexpr int UrlNameWidth = 64; // the URL's name as stored by the result tables
constexpr int ChartWidth = 64;
constexpr int TextWidth = 255; // script pieces, addresses and other short texts

FieldDef text(const char* name, int size, bool required = false)
{
    FieldDef field;
    field.name = QLatin1String(name);
    field.type = FieldType::String;
    field.size = size;
    field.required = required;
    return field;
}

FieldDef column(const char* name, FieldType type)
{
    FieldDef field;
    field.name = QLatin1String(name);
    field.type = type;
    return field;
}

FieldDef integer(const char* name) { return column(name, FieldType::Integer); }

FieldDef flag(const char* name) { return column(name, FieldType::Boolean); }

FieldDef date(const char* name) { return column(name, FieldType::Date); }

FieldDef memo(const char* name) { return column(name, FieldType::Memo); }

// "Name1" .. "NameN" as fields made by make().
template <typename Make>
void numbered(QList<FieldDef>& fields, const char* stem, int count, Make make)
{
    for (int i = 1; i <= count; ++i) {
        const QByteArray name = QByteArray(stem) + QByteArray::number(i);
        fields.append(make(name.constData()));
    }
}

IndexDef index(const char* name, std::initializer_list<const char*> fields, bool unique = false,
               bool caseInsensitive = false)
{
    IndexDef def;
    def.name = QLatin1String(name);
    for (const char* field : fields)
        def.fields.append(QLatin1String(field));
    def.unique = unique;
    def.caseInsensitive = caseInsensitive;
    return def;
}

TableDef makeTable(const char* name, QList<FieldDef> fields, QList<IndexDef> indexes = {})
{
    TableDef def;
    def.name = QLatin1String(name);
    def.fields = std::move(fields);
    def.indexes = std::move(indexes);
    return def;
}

TableDef cvProject()
{
    return makeTable("CVProject",
                     {
                         text("Name", ProjectWidth, true),
                         integer("Depth"),
                         text("KeyURL", 32),
                         flag("FullURLData"),
                         flag("StopOnHit"),
                         // date and time of the last mining session as a day count;
                         // below 1.0 when the project was never mined
                         column("LastRun", FieldType::DateTime),
                         flag("Logo_Basic_Chart"),
                         flag("Logo_Basic_Rpt"),
                         flag("Logo_GandL_Chart"),
                         flag("Logo_GandL_Rpt"),
                         integer("Logo_Pos_Rpt"), // 0 centre, 1 left, otherwise right
                         flag("Logo_Scores_Chart"),
                         flag("Logo_Scores_Rpt"),
                         flag("Logo_SEPop_Rpt"),
                     },
                     {
                         index("Nameidx", {"Name"}, true),
                     });
}

TableDef cvUrl()
{
    return makeTable("CVURL",
                     {
                         text("Name", 32, true),
                         text("URL", 128),
                         text("Project", ProjectWidth),
                         flag("AnyMatch"),
                     },
                     {
                         index("Nameidx", {"Name"}),
                         index("NameProjidx", {"Name", "Project"}, true),
                         index("URLProjidx", {"URL", "Project"}, true),
                     });
}

TableDef cvSt()
{
    return makeTable("CVST",
                     {
                         text("Virtual", TermWidth, true),
                         // every blank of the term becomes "~~~", so three times as wide
                         text("Physical", TermWidth * 3),
                         text("Project", ProjectWidth),
                     },
                     {
                         // a term once per project; looked up by its text
                         index("STVirtidx", {"Virtual", "Project"}, true),
                     });
}

TableDef cvSe3()
{
    return makeTable("CVSE3",
                     {
                         text("Name", EngineWidth, true),
                         text("Project", ProjectWidth),
                         integer("Popularity"),
                         text("Country", 16),
                         text("Group1", 16),
                         text("Group2", 16),
                         text("Group3", 16),
                         text("Group4", 16),
                         text("Group5", 16),
                         flag("API"),
                     },
                     {
                         index("NameProjidx", {"Name", "Project"}, true, true),
                         index("Nameidx", {"Name"}, false, true),
                         // the dashboard's Top 10 joins Summary on the engine name as
                         // written, which the case-insensitive indexes cannot serve
                         index("NameExactidx", {"Name", "Project"}),
                     });
}

TableDef se3()
{
    QList<FieldDef> fields = {
        text("Name", EngineWidth, true),
        text("HomePage", TextWidth),
        text("AddPage", TextWidth),
        text("Country", 16),
        text("Group1", 16),
        text("Group2", 16),
        text("Group3", 16),
        text("Group4", 16),
        text("Group5", 16),
        integer("Popularity"),
        text("PopSource", 64),
        integer("Pop1"),
        integer("Pop2"),
        integer("Pop3"),
        memo("Notes"),
        flag("SpecNotes"),
        flag("API"),
        date("LastUpdate"),
        flag("Active"),
        integer("Delay"),
        integer("Delay2"),
        integer("EngineInc"),
        // request construction
        flag("Method1"),
    };
    for (int i = 1; i <= 10; ++i) {
        fields.append(text(QByteArray("AString" + QByteArray::number(i)).constData(), TextWidth));
        fields.append(text(QByteArray("AValue" + QByteArray::number(i)).constData(), 32));
    }
    for (int i = 1; i <= 10; ++i) {
        fields.append(text(QByteArray("BString" + QByteArray::number(i)).constData(), TextWidth));
        fields.append(text(QByteArray("BValue" + QByteArray::number(i)).constData(), 32));
    }
    fields += {
        text("OffsetField", 32),     integer("OffsetValue"),    text("WordConnector", 16),
        text("StartKey", TextWidth), text("EndKey", TextWidth), text("ReverseStartKey", TextWidth),
        memo("StartKeyPlanB"),
    };
    numbered(fields, "ReplaceThis", 10, [](const char* name) { return text(name, TextWidth); });
    numbered(fields, "ReplaceWith", 10, [](const char* name) { return text(name, TextWidth); });
    fields += {
        integer("UserAgent"),
        // result finding
        text("AIncStart", TextWidth),
        text("AIncEnd", TextWidth),
        flag("ANumberInc"),
        integer("APageLength"),
        text("BIncStart", TextWidth),
        text("BIncEnd", TextWidth),
        flag("BNumberInc"),
        integer("BPageLength"),
        memo("IncPlanB"),
        flag("TagFirst"),
    };
    numbered(fields, "TruncStart", 5, [](const char* name) { return text(name, TextWidth); });
    numbered(fields, "TruncEnd", 5, [](const char* name) { return text(name, TextWidth); });
    fields += {
        // link cutting of the competitor harvest
        text("HTTPStart", TextWidth),
        integer("HTTPLoc"),
        text("HTTPEnd", TextWidth),
    };

    TableDef def = makeTable("SE3", fields, {index("SEName", {"Name"}, true)});
    def.passwordProtected = true;
    return def;
}

TableDef cvRank()
{
    return makeTable("CVRank",
                     {
                         text("Project", ProjectWidth),
                         text("SearchEngine", EngineWidth),
                         text("SearchTerm", TermWidth),
                         text("URL", UrlNameWidth),
                         integer("Rank"),
                         integer("Page"),
                         date("xDate"),
                         memo("FoundLink"),
                     },
                     {
                         // the days in order (retention, the data module's cursor)
                         index("RankDateidx", {"xDate"}),
                         // one project's day: day at a glance (whose counts it covers),
                         // scores, daily results, the dates of a project
                         index("RankProjDateidx", {"Project", "xDate", "SearchEngine", "SearchTerm", "URL"}),
                         // one series of a detail chart over a date range, and the
                         // engine deletion of a project
                         index("RankSeriesidx", {"Project", "SearchEngine", "SearchTerm", "URL", "xDate"}),
                     });
}

TableDef cvHilo()
{
    return makeTable("CVHilo",
                     {
                         text("Project", ProjectWidth),
                         date("xDate"),
                         text("URL", UrlNameWidth),
                         text("SearchEngine", EngineWidth),
                         text("SearchTerm", TermWidth),
                         integer("AltYesterday"),
                         integer("AltToday"),
                         integer("Difference"),
                         integer("Inc"),
                     },
                     {
                         index("HiloDateidx", {"xDate"}),
                         // day at a glance (project and day) and gains and losses
                         // (project, day and engine)
                         index("HiloProjDateidx", {"Project", "xDate", "SearchEngine"}),
                     });
}

TableDef summary()
{
    return makeTable("Summary",
                     {
                         text("Project", ProjectWidth),
                         date("xDate"),
                         text("Type", 8), // "TopSE", "New", "PR1", "SAT"
                         text("SearchEngine", EngineWidth),
                         text("SearchTerm", TermWidth),
                         text("URL", UrlNameWidth),
                         integer("Rank"),
                         integer("Page"),
                     },
                     {
                         // first row = earliest session (data directory changer)
                         index("Dateidx", {"xDate"}),
                         // the dashboard: every list names project and type, the
                         // Top 10 and new arrivals also the day
                         index("SummaryProjTypeidx", {"Project", "Type", "xDate"}),
                     });
}

TableDef cvEngine()
{
    return makeTable("CVEngine",
                     {
                         text("Project", ProjectWidth),
                         text("SE3Name", EngineWidth),
                         text("STName", TermWidth),
                         integer("LastRecord"),
                         integer("Depth"),
                         flag("Completed"),
                     },
                     {
                         // the script check's lists, in LastRecord order, and the
                         // rows below their depth
                         index("EngineLastidx", {"LastRecord", "Depth"}),
                         // the script check's lowest row per engine
                         index("EngineNameidx", {"SE3Name", "LastRecord", "Depth"}),
                     });
}

TableDef cvSqlTee()
{
    return makeTable("CVSQLTee",
                     {
                         text("Project", ProjectWidth),
                         text("File", ChartWidth),
                         text("Chart", ChartWidth),
                         text("PopOrder", 3),
                         memo("ForEach"),
                         text("Select1", TermWidth),
                         text("Select2", TermWidth),
                         memo("Title"),
                         text("DateType", 1),
                         integer("DateValue"),
                         date("DateStart"),
                         date("DateEnd"),
                         flag("FillDates"),
                         flag("ShowNoValue"),
                         flag("Design_3D"),
                         column("Design_Image", FieldType::Graphic),
                         integer("Design_ImageLeft"),
                         integer("Design_ImageTop"),
                         integer("Design_Palette"),
                         integer("Design_PointsPerPage"),
                         flag("Design_RemoveBands"),
                         integer("Design_SeriesType"),
                         flag("Design_ShowMarks"),
                         text("Design_Theme", 16),
                     },
                     {
                         // a design row is found by project and chart
                         index("SQLTeeFileidx", {"Project", "File"}),
                     });
}

TableDef cvChartCache()
{
    return makeTable("CVChartCache",
                     {
                         text("Project", ProjectWidth),
                         text("Chart", ChartWidth),
                         // the series' column name: a value, with "_" in front when
                         // it does not begin with a letter
                         text("Legend", 80),
                         date("xDate"),
                         integer("xValue"),
                     },
                     {
                         // one chart's points in date order
                         index("xDateidx", {"Project", "Chart", "xDate"}),
                     });
}

TableDef cvReportThemes()
{
    return makeTable("CVReportThemes",
                     {
                         text("ThemeName", 64), text("ThemeType", 16), integer("Chart_Type"),
                         text("Chart_ShowMarks", 5),   // "True" / "False"
                         text("Chart_RemoveBands", 5), // "True" / "False"
                         integer("Chart_PointsPerPage"), text("Chart_Theme", 16), integer("Chart_Palette"),
                         column("Chart_Image", FieldType::Graphic), integer("Chart_ImageLeft"),
                         integer("Chart_ImageTop"), text("Chart_3D", 5), // "True" / "False"
                     },
                     {
                         index("ThemeNameidx", {"ThemeName"}),
                     });
}

TableDef cvReports()
{
    return makeTable("CVReports",
                     {
                         text("Project", ProjectWidth),
                         text("Report", 32),     // report name, e.g. "Top10", "FullURL", "Grid"
                         text("ReportFile", 64), // e.g. "DuroViz"
                         text("Caption", 128),
                         memo("Layout"), // the report library's style description
                         column("Modified", FieldType::DateTime),
                     },
                     {
                         // a style per report name and project (or group)
                         index("Reportidx", {"Report", "Project"}),
                     });
}

TableDef cvLog()
{
    return makeTable("CVLog",
                     {
                         date("xDate"),
                         column("xTime", FieldType::Time),
                         text("Message", TextWidth),
                         text("Project", ProjectWidth),
                     },
                     {
                         index("LogDateidx", {"xDate", "xTime"}),
                     });
}

TableDef cvNotable()
{
    return makeTable("CVNotable",
                     {
                         text("Project", ProjectWidth),
                         date("xDate"),
                         column("xTime", FieldType::Time),
                         text("Type", 16),
                         text("Subject", 64),
                         memo("Content"),
                     },
                     {
                         index("NotableDateidx", {"xDate", "xTime"}),
                     });
}

TableDef cvNotify()
{
    return makeTable("CVNotify",
                     {
                         integer("Name"),
                         text("Project", ProjectWidth),
                         memo("URLs"),
                         memo("SearchTerms"),
                         memo("SearchEngines"),
                     });
}

TableDef cvEmail()
{
    return makeTable("CVEmail",
                     {
                         integer("Name"), // the CVNotify row it belongs to
                         text("Project", ProjectWidth),
                         text("Address", 128),
                         flag("Enabled"),
                     },
                     {
                         index("Name.idx", {"Name"}),
                     });
}

TableDef schedule()
{
    return makeTable("Schedule",
                     {
                         text("Name", 64), // the scheduled task
                         memo("Projects"), // one project name per line
                     });
}

TableDef cvQueries()
{
    return makeTable("CVQueries",
                     {
                         text("Name", 64),
                         text("Project", ProjectWidth),
                         memo("SelectedFields"),
                         memo("Conditions"),
                         memo("OrderBy"),
                         text("Ascend", 4), // "ASC" or "DESC"
                         memo("FullSQL"),
                     },
                     {
                         // a saved query is looked up by name within its project
                         index("Nameidx", {"Name", "Project"}, true),
                     });
}

TableDef cvMix()
{
    return makeTable("CVMix",
                     {
                         text("Name", TextWidth), // the URL, lower case
                         integer("URLCount"),
                         memo("SE"),
                         text("MetaTitle", TextWidth),
                         text("MetaDesc", 0),
                         memo("MetaST"),
                         memo("KWDensity"),
                     },
                     {
                         index("Nameidx", {"Name"}, true),
                     });
}

TableDef phrase()
{
    return makeTable("Phrase",
                     {
                         text("Phrase", TermWidth),
                         integer("PhraseCount"),
                         column("KWDensity", FieldType::Float),
                     },
                     {
                         index("Phraseidx", {"Phrase"}),
                     });
}

TableDef ppExport()
{
    // URL, SearchTerm and SearchEngine may hold a cell's HTML unchanged, so
    // their width is not bounded.
    return makeTable("PPExport",
                     {
                         date("xDate"),
                         integer("Rank"),
                         integer("Page"),
                         text("URL", 0),
                         text("SearchTerm", 0),
                         text("SearchEngine", 0),
                     });
}

TableDef hint()
{
    return makeTable("Hint",
                     {
                         integer("Sequence"),
                         text("Caption", 64),
                         memo("Hint"),
                     },
                     {
                         index("Seqidx", {"Sequence"}, true),
                     });
}

TableDef merge()
{
    // One integer column per series is added for each chart.
    return makeTable("Merge", {date("xDate")}, {index("xDateidx", {"xDate"})});
}

TableDef temp2()
{
    return makeTable("Temp2",
                     {
                         text("URL", UrlNameWidth),
                         text("SearchEngine", EngineWidth),
                         integer("Rank"),
                     },
                     {
                         index("URLidx", {"URL"}),
                     });
}

QList<TableDef> buildTables()
{
    return {
        cvProject(),    cvUrl(),          cvSt(),      cvSe3(),     se3(),
        cvRank(),       cvHilo(),         summary(),   cvEngine(),  cvSqlTee(),
        cvChartCache(), cvReportThemes(), cvReports(), cvLog(),     cvNotable(),
        cvNotify(),     cvEmail(),        schedule(),  cvQueries(), cvMix(),
        phrase(),       ppExport(),       hint(),      merge(),     temp2(),
    };
}

} // namespace

const QList<TableDef>& tables()
{
    static const QList<TableDef> all = buildTables();
    return all;
}

const TableDef* table(const QString& name)
{
    for (const TableDef& def : tables()) {
        if (def.name.compare(name, Qt::CaseInsensitive) == 0)
            return &def;
    }
    return nullptr;
}

QStringList se3DatabaseTables() { return {QStringLiteral("SE3"), QStringLiteral("CVReports")}; }

} // namespace corvane::Schema
