#pragma once

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

namespace corvane {

// One word of a page's keyword density list.
struct WordCount
{
    QString word;
    int count = 0;
    double density = 0; // count / words of the page * 100
};

// What Detail reads from one page.
struct PageDetail
{
    bool titleFound = false;
    QString title;       // "No Title Tag" when the page has none
    QString description; // empty when the page has no description
    QStringList keywords;
    QStringList density;    // the density lines, sorted
    QList<WordCount> words; // the words of those lines, in page order of first use
    int totalWords = 0;
};

namespace PageAnalysis {

// The visible words of a page, lower case: script blocks, tags and "&nbsp;"
// give way to blanks; the text is split at blanks, tabs and line breaks.
QStringList VisibleWords(const QString& page);

// Every word that occurs at least minDens times among the visible words not
// listed in the filter (lower case), with its share of those words.
QList<WordCount> KeywordDensity(const QString& page, const QSet<QString>& filter, int minDens,
                                int* totalWords = nullptr);

// "1" + count + " (" + density as "#.##" + "%)->" + word.
QString DensityLine(const WordCount& word);

// A number in the pattern "#.##": at most two decimals, no trailing zeros,
// no leading zero ("0.5" is ".5", 12 is "12").
QString HashHash(double value);

// Title, description, meta keywords and keyword density of a fetched page.
// Everything is read from the lower-cased page; tag and attribute names are
// matched in any case and in any order of the attributes.
PageDetail Analyse(const QString& page, const QSet<QString>& filter, int minDens);

} // namespace PageAnalysis

} // namespace corvane
