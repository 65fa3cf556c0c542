#include "modules/dbroutines/LibraryWindowCall.h"

#include "core/data/DatabaseError.h"
#include "gui/widgets/CorvaneApplication.h"

#include <QApplication>
#include <QMainWindow>

#include <exception>

namespace corvane {

namespace {

// The caller's main window: the active window when it is a main window,
// else the first visible main window, else whatever window is active.
QWidget* findMainWindow(QCoreApplication* application)
{
    if (!application)
        return nullptr;
    QWidget* active = QApplication::activeWindow();
    if (active && qobject_cast<QMainWindow*>(active->window()))
        return active->window();
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible() && qobject_cast<QMainWindow*>(window))
            return window;
    }
    return active ? active->window() : nullptr;
}

} // namespace

CallerMainWindow::CallerMainWindow(QCoreApplication* application)
    : m_window(findMainWindow(application))
{
}

void CallerMainWindow::own(QDialog& window) const
{
    if (m_window)
        window.setParent(m_window, window.windowFlags());
}

void guarded(const std::function<void()>& call)
{
    try {
        call();
    } catch (const DatabaseError& e) {
        CorvaneApplication::showException(e.message());
    } catch (const std::exception& e) {
        CorvaneApplication::showException(QString::fromLocal8Bit(e.what()));
    }
}

} // namespace corvane
