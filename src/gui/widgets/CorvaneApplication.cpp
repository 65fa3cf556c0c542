#include "gui/widgets/CorvaneApplication.h"

#include "core/data/DatabaseError.h"

#include <QMessageBox>

#include <exception>

namespace corvane {

CorvaneApplication::CorvaneApplication(int& argc, char** argv)
    : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Corvane"));
    setApplicationDisplayName(QStringLiteral("Corvane"));
    setOrganizationName(QStringLiteral("Corvane"));
}

bool CorvaneApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const DatabaseError& e) {
        showException(e.message());
    } catch (const std::exception& e) {
        showException(QString::fromLocal8Bit(e.what()));
    }
    return false;
}

void CorvaneApplication::showException(const QString& message)
{
    QMessageBox::critical(activeWindow(), QStringLiteral("Corvane"), message);
}

} // namespace corvane
