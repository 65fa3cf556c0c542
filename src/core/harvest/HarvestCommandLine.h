#pragma once

#include "core/harvest/HarvesterRun.h"

#include <QString>
#include <QStringList>

namespace corvane {

// Harvester's command line:
//   Harvester                        the window
//   Harvester "ProjectA" "ProjectB"  those projects, without a window (the form
//                                    scheduled tasks use; the quotes may reach
//                                    the program or be taken off by a shell)
//   Harvester --all                  every project, without a window
//   --date yyyy-mm-dd                record the sessions under that day
//   --help, --version
struct HarvestCommandLine
{
    HarvestRequest request;
    bool help = false;
    bool version = false;
    QString error; // why the arguments are bad; empty when they are fine

    bool headless() const { return request.all || !request.projects.isEmpty(); }

    static HarvestCommandLine parse(const QStringList& arguments); // without the program name
    static QString usage();
};

} // namespace corvane
