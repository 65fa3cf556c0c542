#pragma once

#include "core/data/Dataset.h"
#include "core/data/Schema.h"
#include "core/data/TableDatabase.h"
#include "core/datamodule/DM1.h"
#include "core/demo/DemoEngine.h"

#include "UiTestSupport.h"

#include <QDir>

#include <memory>

namespace corvane::test {

// A profile whose starter engine scripts point at a demo engine running in
// this process, a data module on it, and an export folder inside the profile.
class DuvudaProfile
{
public:
    DuvudaProfile()
    {
        if (!profile.ready() || !engine.start())
            return;
        engine.setDay(4);
        dm = profile.makeDataModule();
        dm->LoadSettings();
        Session session(QStringLiteral("Repoint"));
        session.addPassword(QLatin1String(Schema::SE3Password));
        Database data(QStringLiteral("Repoint"), &session);
        data.setDirectory(dm->Settings.DataFolder);
        data.connect();
        for (const char* column : {"HomePage", "AString1", "BString1", "ReplaceWith1", "ReplaceWith2"}) {
            Query repoint(&data,
                          QStringLiteral("UPDATE SE3 SET %1 = replace(%1, '127.0.0.1:8765', '127.0.0.1:%2')")
                              .arg(QLatin1String(column))
                              .arg(engine.port()));
            repoint.execSql();
        }
        exportFolder = profile.programFolder() + QStringLiteral("Exports/");
        QDir().mkpath(exportFolder);
        dm->WriteSetting(QStringLiteral("File Locations"), QStringLiteral("PPExportFolder"), exportFolder);
        dm->Settings.HTTPReadTimeout = 5000;
        dm->Settings.HTTPRetryTimes = 1;
        m_ready = true;
    }

    bool ready() const { return m_ready; }

    UiProfile profile;
    DemoEngine engine;
    std::unique_ptr<TDM1> dm;
    QString exportFolder;

private:
    bool m_ready = false;
};

} // namespace corvane::test
