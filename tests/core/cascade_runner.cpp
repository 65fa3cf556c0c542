// Test helper: runs one project cascade on a data folder and prints every
// status text on its own line, so a test can kill it half-way.
// Usage: cascade_runner <folder> renameProject|deleteProject <project> [<new name>]
//        cascade_runner <folder> resume
#include "core/data/TableDatabase.h"
#include "core/projects/ProjectCascade.h"

#include <QCoreApplication>
#include <QTextStream>

using namespace corvane;

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3)
        return 2;
    Session session(QStringLiteral("Runner"));
    Database db(QStringLiteral("Runner"), &session);
    db.setDirectory(args.at(1));
    db.connect();
    QTextStream out(stdout);
    CascadeEvents events;
    events.status = [&out](const QString& text, int) {
        out << text << '\n';
        out.flush();
    };
    ProjectCascade cascade(db, events);
    if (args.at(2) == QLatin1String("renameProject") && args.size() == 5)
        cascade.renameProject(args.at(3), args.at(4));
    else if (args.at(2) == QLatin1String("deleteProject") && args.size() == 4)
        cascade.deleteProject(args.at(3));
    else if (args.at(2) == QLatin1String("resume")) {
        const int resumed = ProjectCascade::resumePending(db, events);
        out << "resumed " << resumed << '\n';
    } else
        return 2;
    return 0;
}
