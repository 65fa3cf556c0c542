#include "core/projects/ProjectRules.h"

#include <QRegularExpression>

namespace corvane::ProjectRules {

QString projectNameProblem(const QString& name)
{
    if (name.isEmpty())
        return QStringLiteral("Project name cannot be blank.");
    if (name.contains(QLatin1Char(' ')))
        return QStringLiteral("Space character may not be used");
    if (!name.at(0).isLetter())
        return QStringLiteral("Cannot start with a non-alpha character");
    if (name.size() > MaxProjectName)
        return QStringLiteral("Project name cannot be longer than %1 characters.").arg(MaxProjectName);
    for (const QChar c : name)
        if (c.isSpace() || c.category() == QChar::Other_Control)
            return QStringLiteral("Space character may not be used");
    return {};
}

QString storedUrl(const QString& typed)
{
    QString url = typed.trimmed();
    for (const QLatin1String prefix : {QLatin1String("http://"), QLatin1String("https://")})
        if (url.startsWith(prefix, Qt::CaseInsensitive)) {
            url.remove(0, prefix.size());
            break;
        }
    if (url.startsWith(QLatin1String("www."), Qt::CaseInsensitive))
        url.remove(0, 4);
    return url;
}

QString physicalTerm(const QString& term)
{
    QString physical = term;
    return physical.replace(QLatin1Char(' '), QStringLiteral("~~~"));
}

KeywordTags keywordTags(const QString& page)
{
    KeywordTags result;
    QString flat = page;
    flat.remove(QLatin1Char('\r'));
    flat.remove(QLatin1Char('\n'));
    static const QRegularExpression tag(QStringLiteral("<META NAME=\"KEYWORDS\" ?CONTENT=\""),
                                        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = tag.match(flat);
    if (!match.hasMatch())
        return result;
    result.found = true;
    const qsizetype start = match.capturedEnd();
    qsizetype end = flat.indexOf(QLatin1Char('>'), start);
    if (end < 0)
        end = flat.size();
    QString content = flat.mid(start, end - start);
    // The content ends at its closing quote; what follows up to ">" is the rest of the tag.
    const qsizetype quote = content.indexOf(QLatin1Char('"'));
    if (quote >= 0)
        content.truncate(quote);
    for (const QString& piece : content.split(QLatin1Char(','))) {
        const QString term = piece.trimmed();
        if (term.isEmpty())
            continue;
        if (result.terms.contains(term))
            result.duplicates = true;
        else
            result.terms << term;
    }
    return result;
}

QStringList listLines(const QString& text)
{
    // Written with CR LF (joinLines): a line break (LF alone) inside a name
    // then stays part of it.
    static const QRegularExpression lineBreak(QStringLiteral("\r?\n"));
    QStringList lines =
        text.contains(QLatin1String("\r\n")) ? text.split(QLatin1String("\r\n")) : text.split(lineBreak);
    lines.removeAll(QString());
    return lines;
}

QString joinLines(const QStringList& lines) { return lines.join(QStringLiteral("\r\n")); }

} // namespace corvane::ProjectRules
