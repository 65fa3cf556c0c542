#pragma once

#include "core/datamodule/DM1.h"
#include "core/platform/Registry.h"
#include "core/settings/ProfileSetup.h"
#include "gui/mainwindow/MainRankForm.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

namespace corvane::test {

// A fresh profile with its own settings store, and a data module on it whose
// messages are recorded instead of shown.
class UiProfile
{
public:
    UiProfile()
    {
        qputenv("CORVANE_REGISTRY", m_dir.filePath(QStringLiteral("registry.reg")).toLocal8Bit());
        QDir().mkpath(m_dir.filePath(QStringLiteral("run")));
        QFile::setPermissions(m_dir.filePath(QStringLiteral("run")),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", m_dir.filePath(QStringLiteral("run")).toLocal8Bit());
        Registry registry;
        ProfileSetup setup(registry, programFolder());
        m_ready = setup.run();
        m_error = setup.error();
    }

    bool ready() const { return m_ready; }
    const QString& error() const { return m_error; }
    QString programFolder() const { return m_dir.filePath(QStringLiteral("Home")) + QLatin1Char('/'); }

    std::unique_ptr<TDM1> makeDataModule()
    {
        auto dm = std::make_unique<TDM1>();
        dm->setMessagePresenter(
            [this](MessageButtons, const QString& title, const QString& text, const QString&) {
                messages << title + QStringLiteral(": ") + text;
                return MessageAnswer::Ok;
            });
        DM1 = dm.get();
        return dm;
    }

    QStringList messages;

private:
    QTemporaryDir m_dir;
    bool m_ready = false;
    QString m_error;
};

// Runs the action once the next modal dialog of type D is up.
template <typename D>
void whenModal(std::function<void(D&)> action)
{
    auto* timer = new QTimer;
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, [timer, action] {
        if (auto* dialog = qobject_cast<D*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            action(*dialog);
        }
    });
    timer->start();
}

// Shows the main window at the tour's size and waits until its dashboard is built.
inline bool showMainWindow(TMainRankForm& form)
{
    form.setWindowState(Qt::WindowNoState);
    form.resize(1280, 860);
    form.show();
    return QTest::qWaitForWindowExposed(&form)
        && QTest::qWaitFor([&] { return !form.dashboardBusy(); }, 30000);
}

// Saves a picture of the window under $CORVANE_SCREENS for the screenshot tour.
inline bool saveScreen(QWidget& window, const QString& name)
{
    const QString folder = qEnvironmentVariable("CORVANE_SCREENS", QStringLiteral("screens"));
    QDir().mkpath(folder);
    return window.grab().save(folder + QLatin1Char('/') + name + QStringLiteral(".png"));
}

} // namespace corvane::test
