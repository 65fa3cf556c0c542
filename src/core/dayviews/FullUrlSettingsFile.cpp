#include "core/dayviews/FullUrlSettingsFile.h"

#include <QFile>
#include <QLocale>
#include <QSaveFile>
#include <QStringList>

#include <stdexcept>

namespace corvane::FullUrlSettingsFile {

namespace {

[[noreturn]] void fail(const QString& message) { throw std::runtime_error(message.toStdString()); }

QDate readDate(const QString& text)
{
    QDate day = QDate::fromString(text, Qt::ISODate);
    if (!day.isValid()) {
        day = QLocale().toDate(text, QLocale::ShortFormat);
        if (day.isValid() && day.year() < 1970)
            day = day.addYears(100); // a two-digit year of the short format is read as 19xx
    }
    if (!day.isValid())
        fail(QStringLiteral("The date \"%1\" is not a date.").arg(text));
    return day;
}

// Why the file could not give the item back as it is, or nothing: items are
// lines, so a line feed would split one in two and a carriage return at its
// end is taken for part of a line end; a line beginning with "~~" is a heading.
QString unkeptBecause(const QString& item)
{
    if (item.contains(QLatin1Char('\n')))
        return QStringLiteral("holds a line break: the file keeps one item a line and would read it back "
                              "as two");
    if (item.endsWith(QLatin1Char('\r')))
        return QStringLiteral("ends in a line break (a carriage return), which the file would read as part "
                              "of its line end");
    if (item.startsWith(QLatin1String("~~")))
        return QStringLiteral("begins with \"~~\", which the file keeps for its headings");
    return {};
}

void requireKept(const QString& kind, const QStringList& items)
{
    for (const QString& item : items) {
        const QString why = unkeptBecause(item);
        if (!why.isEmpty())
            fail(QStringLiteral("The %1 \"%2\" %3. The settings were not saved.").arg(kind, item, why));
    }
}

} // namespace

QString text(const FullUrlSettings& settings)
{
    requireKept(QStringLiteral("project"), {settings.project});
    requireKept(QStringLiteral("search term"), settings.selection.terms);
    requireKept(QStringLiteral("search engine"), settings.selection.engines);
    requireKept(QStringLiteral("URL"), settings.selection.urls);
    QStringList lines{QStringLiteral("~~Project"), settings.project, QStringLiteral("~~Date"),
                      settings.day.toString(Qt::ISODate), QStringLiteral("~~Grouping")};
    lines << settings.selection.grouping;
    lines << QStringLiteral("~~SearchTerm") << settings.selection.terms;
    lines << QStringLiteral("~~SearchEngine") << settings.selection.engines;
    lines << QStringLiteral("~~URL") << settings.selection.urls;
    lines << QStringLiteral("~~END");
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

void write(const QString& filePath, const FullUrlSettings& settings)
{
    const QByteArray content = text(settings).toUtf8(); // refused items throw before the file is touched
    QSaveFile file(filePath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text) || file.write(content) < 0 || !file.commit())
        fail(QStringLiteral("Cannot write %1: %2").arg(filePath, file.errorString()));
}

FullUrlSettings parse(const QString& text)
{
    // No name holds a NUL, and a statement built from one would end there.
    if (text.contains(QChar(0)))
        fail(QStringLiteral("The file holds a NUL character: it is damaged or not a settings file."));
    QStringList lines = text.split(QLatin1Char('\n'));
    // Line ends may be CR LF, or carry more CRs after a round trip through
    // another editor: an entry never ends in a CR.
    for (QString& line : lines)
        while (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    FullUrlSettings settings;
    settings.selection.grouping.clear();
    enum class Part { None, Project, Date, Grouping, Terms, Engines, Urls } part = Part::None;
    bool sawProject = false;
    bool sawDate = false;
    bool ended = false;
    for (const QString& line : std::as_const(lines)) {
        if (line.startsWith(QLatin1String("~~"))) {
            const QString heading = line.mid(2);
            if (heading == QLatin1String("Project"))
                part = Part::Project, sawProject = true;
            else if (heading == QLatin1String("Date"))
                part = Part::Date, sawDate = true;
            else if (heading == QLatin1String("Grouping"))
                part = Part::Grouping;
            else if (heading == QLatin1String("SearchTerm"))
                part = Part::Terms;
            else if (heading == QLatin1String("SearchEngine"))
                part = Part::Engines;
            else if (heading == QLatin1String("URL"))
                part = Part::Urls;
            else if (heading == QLatin1String("END")) {
                ended = true;
                break;
            } else
                fail(QStringLiteral("The heading \"%1\" is unknown.").arg(line));
            continue;
        }
        switch (part) {
        case Part::None:
            if (!line.isEmpty())
                fail(QStringLiteral("The file does not begin with \"~~Project\"."));
            break;
        case Part::Project:
            if (settings.project.isEmpty())
                settings.project = line;
            break;
        case Part::Date:
            if (!line.isEmpty() && !settings.day.isValid())
                settings.day = readDate(line);
            break;
        case Part::Grouping:
            if (line.isEmpty())
                break;
            if (FullUrlQuery::groupingColumn(line).isEmpty())
                fail(QStringLiteral("The grouping entry \"%1\" is unknown.").arg(line));
            settings.selection.grouping << line;
            break;
        case Part::Terms:
            if (!line.isEmpty())
                settings.selection.terms << line;
            break;
        case Part::Engines:
            if (!line.isEmpty())
                settings.selection.engines << line;
            break;
        case Part::Urls:
            if (!line.isEmpty())
                settings.selection.urls << line;
            break;
        }
    }
    if (!sawProject || settings.project.isEmpty())
        fail(QStringLiteral("The file names no project under \"~~Project\"."));
    if (!sawDate || !settings.day.isValid())
        fail(QStringLiteral("The file names no date under \"~~Date\"."));
    if (!ended)
        fail(QStringLiteral("The file does not end with \"~~END\"; it may be cut short."));
    // Every entry of the order once: a partial or repeated order is completed.
    QStringList grouping;
    for (const QString& entry : std::as_const(settings.selection.grouping))
        if (!grouping.contains(entry))
            grouping << entry;
    for (const QString& entry : FullUrlQuery::defaultGrouping())
        if (!grouping.contains(entry))
            grouping << entry;
    settings.selection.grouping = grouping;
    return settings;
}

FullUrlSettings read(const QString& filePath)
{
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly))
        fail(QStringLiteral("Cannot read %1: %2").arg(filePath, file.errorString()));
    return parse(QString::fromUtf8(file.readAll()));
}

} // namespace corvane::FullUrlSettingsFile
