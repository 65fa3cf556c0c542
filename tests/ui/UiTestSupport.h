#pragma once

#include "core/datamodule/DM1.h"
#include "core/platform/Registry.h"
#include "core/settings/ProfileSetup.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QWidget>

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

// Saves a picture of the window under $CORVANE_SCREENS for the screenshot tour.
inline bool saveScreen(QWidget& window, const QString& name)
{
    const QString folder = qEnvironmentVariable("CORVANE_SCREENS", QStringLiteral("screens"));
    QDir().mkpath(folder);
    return window.grab().save(folder + QLatin1Char('/') + name + QStringLiteral(".png"));
}

} // namespace corvane::test
