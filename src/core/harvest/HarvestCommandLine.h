#pragma once

#include "core/harvest/HarvesterRun.h"

#include <QDate>
#include <QString>
#include <QStringList>

namespace corvane {

// Harvester's command line:
//   Harvester                        the window
//   Harvester "ProjectA" "ProjectB"  those projects, without a window: each
//                                    argument is one name, blanks and quotes
//                                    included, unless it is a list of names each
//                                    in double quotes (the form scheduled tasks
//                                    use, when the quotes reach the program)
//   Harvester --project NAME         the project of exactly that name
//   Harvester --all                  every project, without a window
//   --date yyyy-mm-dd                record the sessions under that day (from
//                                    DateYearsBack years ago to tomorrow)
//   --help, --version
// A blank name is an error, never the window.
struct HarvestCommandLine
{
    HarvestRequest request;
    bool help = false;
    bool version = false;
    QString error; // why the arguments are bad; empty when they are fine

    bool headless() const { return request.all || !request.projects.isEmpty(); }

    static constexpr int DateYearsBack = 10;

    // Without the program name; --date is checked against today.
    static HarvestCommandLine parse(const QStringList& arguments, const QDate& today = QDate::currentDate());
    static QString usage();
};

} // namespace corvane
