#pragma once

#include "core/outside/LibraryEntries.h"
#include "core/platform/RuntimeLibrary.h"

#include <QApplication>
#include <QDialog>
#include <QTimer>

#include <functional>
#include <memory>

namespace corvane::test {

// The real CVDBRoutines.so, loaded from the binaries folder for one test and
// unloaded at its end.
class DBRoutinesLibrary
{
public:
    DBRoutinesLibrary() { m_library.load(); }

    bool isLoaded() const { return m_library.isLoaded(); }
    QString errorString() const { return m_library.errorString(); }

    template <typename Function>
    Function entry(const char* name)
    {
        return m_library.entry<Function>(name);
    }

    // A data export: the address of the window pointer the library publishes.
    // The windows are dialogs; the test reaches them through QDialog.
    QDialog* const* windowExport(const char* name)
    {
        return reinterpret_cast<QDialog* const*>(m_library.resolve(name));
    }

private:
    RuntimeLibrary m_library{QStringLiteral("CVDBRoutines.so")};
};

// A text argument as the program passes it: its null-terminated UTF-16 characters.
inline const char16_t* textArgument(const QString& text)
{
    return reinterpret_cast<const char16_t*>(text.utf16());
}

// Once the window published in `exported` is on screen, hands it to `act`,
// then closes it if `act` left it open. Call before the entry point (the
// entry's modal loop runs the timer) and keep the watch until the entry has
// returned: it reads the library's export and must not outlive the library.
[[nodiscard]] inline std::unique_ptr<QTimer> whenShown(QDialog* const* exported,
                                                       std::function<void(QDialog&)> act)
{
    auto poll = std::make_unique<QTimer>();
    poll->setInterval(10);
    QTimer* timer = poll.get();
    QObject::connect(timer, &QTimer::timeout, [timer, exported, act = std::move(act)] {
        QDialog* window = *exported;
        if (!window || !window->isVisible())
            return;
        timer->stop();
        act(*window);
        if (window->isVisible())
            window->reject();
    });
    poll->start();
    return poll;
}

} // namespace corvane::test
