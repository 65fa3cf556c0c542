#pragma once

#include <QApplication>

namespace corvane {

// The application object. An exception that escapes an event handler is
// shown in a message box and the program goes on.
class CorvaneApplication : public QApplication
{
    Q_OBJECT

public:
    CorvaneApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // The standard display of an exception that escaped.
    static void showException(const QString& message);
};

} // namespace corvane
