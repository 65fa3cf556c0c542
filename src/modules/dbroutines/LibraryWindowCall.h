#pragma once

#include <QDialog>
#include <QPointer>
#include <QScopeGuard>
#include <QString>

#include <functional>
#include <utility>

class QCoreApplication;

namespace corvane {

// The library's share of the caller's application object: the caller's main
// window, held for the length of one entry-point call. The library's window
// is owned by it, so it stays above the caller's windows and goes with the
// caller's task-bar entry.
class CallerMainWindow
{
public:
    explicit CallerMainWindow(QCoreApplication* application);
    ~CallerMainWindow() { release(); }

    CallerMainWindow(const CallerMainWindow&) = delete;
    CallerMainWindow& operator=(const CallerMainWindow&) = delete;

    // Makes the window an owned window of the caller's main window.
    void own(QDialog& window) const;
    // Forgets the caller's main window.
    void release() { m_window.clear(); }

private:
    QPointer<QWidget> m_window;
};

// What every entry point of the library does: takes the caller's main window
// as owner, builds the window afresh, publishes it in the entry's data export,
// lets the entry store its arguments in it, shows it modally, and when it has
// closed forgets the owner, destroys the window and clears the export again,
// also when something on the way throws.
template <typename Form, typename StoreArguments, typename... ConstructorArguments>
void RunLibraryWindow(QCoreApplication* application, Form*& exported, StoreArguments&& storeArguments,
                      ConstructorArguments&&... constructorArguments)
{
    CallerMainWindow owner(application);
    QPointer<Form> window = new Form(std::forward<ConstructorArguments>(constructorArguments)...);
    exported = window.data();
    const auto destroy = qScopeGuard([&] {
        owner.release();
        delete window.data(); // null already when the owner took it down with itself
        exported = nullptr;
    });
    storeArguments(*window);
    owner.own(*window);
    window->exec();
}

// Runs an entry point's work. Nothing may leave an entry point as an
// exception, since the caller is C: what escapes is shown by the
// application's standard exception display.
void guarded(const std::function<void()>& call);

// A text argument of an entry point; null is the empty text.
inline QString textArgument(const char16_t* text) { return text ? QString::fromUtf16(text) : QString(); }

} // namespace corvane
