#pragma once

#include "core/harvest/ProjectPlan.h"
#include "core/harvest/SessionPoller.h"

#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QVariantList>

namespace corvane {

class Database;

// The best ranks of the project's previous session, by engine, term and URL name.
struct PreviousSession
{
    QDate date; // invalid when the project has no earlier session
    QHash<QString, int> best;

    static QString key(const QString& engine, const QString& term, const QString& url);
    int bestRank(const QString& engine, const QString& term, const QString& url) const; // 0: not found

    // The session before `date`: the project's LastRun when it is earlier,
    // else the latest earlier day with ranks.
    static PreviousSession load(Database& general, const ProjectPlan& plan, const QDate& date);
};

// Every row one session writes, in the stored form of its columns, ready to
// be written in one go and to be kept in a journal until it is.
//
// Conventions:
// - CVHilo: only when an earlier session exists, and only for checks that
//   completed this time. AltYesterday and AltToday are the best ranks, 0 when
//   not found; Difference = AltYesterday - AltToday with a not-found side
//   counted as the project's depth + 1, so a gain is positive.
// - Summary: for the key URL. "TopSE" the best rank (and its page) per engine
//   and term; "New" the engines and terms on which it was found and had not
//   been in the previous session (every find, in a first session); "PR1" every
//   hit on page 1; "SAT" per engine the number of terms on which it was found.
// - The latest session of a project (its day not before LastRun) replaces the
//   project's CVEngine rows, its "PR1" and "SAT" rows and its "Optimization"
//   note; an older day (a back-fill) leaves them alone.
struct SessionRows
{
    QString project;
    QDate date;
    bool latest = true;
    double lastRun = 0.0; // day count written to CVProject.LastRun when latest

    QList<QVariantList> rank; // Project, SearchEngine, SearchTerm, URL, Rank, Page, xDate, FoundLink
    QList<QVariantList>
        hilo; // Project, xDate, URL, SearchEngine, SearchTerm, AltYesterday, AltToday, Difference
    QList<QVariantList> summary; // Project, xDate, Type, SearchEngine, SearchTerm, URL, Rank, Page
    QList<QVariantList> engine;  // Project, SE3Name, STName, LastRecord, Depth, Completed
    QList<QVariantList> notable; // Project, xDate, xTime, Type, Subject, Content

    static SessionRows build(const ProjectPlan& plan, const QList<TermCheck>& checks, const QDate& date,
                             const PreviousSession& previous, const QDateTime& now);

    // The "Optimization" note: lines "Project: <name>", then "Search Terms:",
    // "URLs:" and "Search Engines:" each followed by one line per item that
    // had no hit. Empty when every item had one.
    static QString optimizationNote(const ProjectPlan& plan, const QList<TermCheck>& checks);

    QJsonObject toJson() const;
    static bool fromJson(const QJsonObject& json, SessionRows* rows);

    // Writes the rows in one transaction: the project's rows of the day (and,
    // when latest, its latest-session rows) are replaced, so writing the same
    // rows twice leaves the tables as writing them once. Throws DatabaseError.
    void apply(Database& general) const;
};

} // namespace corvane
