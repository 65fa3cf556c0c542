#include "core/outside/LibraryCalls.h"

#include "core/datamodule/DM1.h"
#include "core/platform/RuntimeLibrary.h"

#include <exception>
#include <optional>
#include <stdexcept>

namespace corvane {

namespace {

constexpr QLatin1String DBRoutinesModule("CVDBRoutines.so");
constexpr QLatin1String SettingsModule("CVSettings.so");
constexpr QLatin1String ReportsModule("CVReports.so");

// The title is the entry's name without its leading underscore.
LibraryBinding bound(const QString& fileName, const char* entryName, const QString& libraryText)
{
    return {fileName, entryName, QString::fromLatin1(entryName + 1), libraryText};
}

LibraryBinding reportEntry(const char* entryName, const char* title)
{
    return {ReportsModule, entryName, QString::fromLatin1(title), {}};
}

// A text argument as the entries take it: the string's own characters.
const char16_t* characters(const QString& text) { return reinterpret_cast<const char16_t*>(text.utf16()); }

} // namespace

LibraryCalls::LibraryCalls(TDM1& dataModule, QCoreApplication* application, const QString& moduleFolder)
    : m_dm(dataModule)
    , m_application(application)
    , m_moduleFolder(AppFolders::withTrailingSlash(moduleFolder))
{
}

LibraryCalls& LibraryCalls::ReportFailuresAs(const QString& title, FailureText text)
{
    m_failureTitle = title;
    m_failureText = text;
    return *this;
}

QString LibraryCalls::LoadFailureText(const LibraryBinding& binding, const QString& systemText) const
{
    const QString text = systemText.toHtmlEscaped();
    if (m_failureText == FailureText::AsBound && !binding.libraryText.isEmpty())
        return QStringLiteral("<P align=\"center\"><B>") + text
            + QStringLiteral("</B><BR>Unable to load the ") + binding.libraryText + QStringLiteral("</P>");
    return EntryFailureText(binding, systemText);
}

QString LibraryCalls::EntryFailureText(const LibraryBinding& binding, const QString& systemText) const
{
    const QString text = systemText.toHtmlEscaped();
    const bool bare = m_failureText == FailureText::SystemText
        || (m_failureText == FailureText::AsBound && binding.libraryText.isEmpty());
    if (bare)
        return text;
    return QStringLiteral("<P align=\"center\">") + text + QStringLiteral("</P>");
}

bool LibraryCalls::Call(const LibraryBinding& binding, const std::function<void(QFunctionPointer)>& invoke)
{
    QString failure;
    std::optional<std::string> escaped;
    {
        RuntimeLibrary library(m_moduleFolder + binding.fileName);
        if (!library.load()) {
            failure = LoadFailureText(binding, library.errorString());
        } else if (const QFunctionPointer address = library.resolve(binding.entryName); !address) {
            failure = EntryFailureText(binding, library.errorString());
        } else {
            // The exception object may live in the module's code: copy its
            // text before the module goes away.
            try {
                invoke(address);
            } catch (const std::exception& e) {
                escaped = e.what();
            } catch (...) {
                escaped = "an unknown exception";
            }
        }
    }
    const QString title = m_failureTitle.isEmpty() ? binding.title : m_failureTitle;
    if (escaped)
        throw std::runtime_error(title.toStdString() + ": " + *escaped);
    if (failure.isEmpty())
        return true;
    m_dm.ShowMessageBox(MessageButtons::Ok, title, failure, true, {});
    return false;
}

bool LibraryCalls::CallPlain(const LibraryBinding& binding)
{
    return Call(binding,
                [this](QFunctionPointer address) { reinterpret_cast<entry::Plain>(address)(m_application); });
}

bool LibraryCalls::CallTwoTexts(const LibraryBinding& binding, const QString& first, const QString& second)
{
    return Call(binding, [&](QFunctionPointer address) {
        reinterpret_cast<entry::TwoTexts>(address)(m_application, characters(first), characters(second));
    });
}

bool LibraryCalls::RunDirectoryChanger()
{
    return CallPlain(bound(DBRoutinesModule, "_RunDirectoryChanger", QStringLiteral("CVDBRoutines.DLL")));
}

bool LibraryCalls::RunBackup()
{
    return CallPlain(bound(DBRoutinesModule, "_RunBackup", QStringLiteral("CVDBRoutines.DLL")));
}

bool LibraryCalls::RunRemoteUpdate(bool automatic, bool showResetOptions)
{
    return Call(bound(DBRoutinesModule, "_RunRemoteUpdate", QStringLiteral("CVDBRoutines.dll")),
                [&](QFunctionPointer address) {
                    reinterpret_cast<entry::RemoteUpdate>(address)(m_application, automatic ? 1 : 0,
                                                                   showResetOptions ? 1 : 0);
                });
}

bool LibraryCalls::RunHints()
{
    return CallPlain(bound(DBRoutinesModule, "_RunHints", QStringLiteral("CVDBRoutines DLL")));
}

bool LibraryCalls::RunCVDaily(const QString& project)
{
    return Call(bound(DBRoutinesModule, "_RunCVDaily", QStringLiteral("CVDBRoutines.DLL")),
                [&](QFunctionPointer address) {
                    reinterpret_cast<entry::OneText>(address)(m_application, characters(project));
                });
}

bool LibraryCalls::RunNotification()
{
    return CallPlain(bound(SettingsModule, "_RunNotification", QStringLiteral("CVSettings.DLL")));
}

bool LibraryCalls::RunSEAPI()
{
    return CallPlain(bound(SettingsModule, "_RunSEAPI", QStringLiteral("CVSettings.DLL")));
}

bool LibraryCalls::RunAdvThrottle()
{
    return CallPlain(bound(SettingsModule, "_RunAdvThrottle", QStringLiteral("CVSettings DLL")));
}

bool LibraryCalls::RunSetStuntValues()
{
    return CallPlain(bound(SettingsModule, "_RunSetStuntValues", QStringLiteral("CVSettings DLL")));
}

bool LibraryCalls::RunEngInc()
{
    return CallPlain(bound(SettingsModule, "_RunEngInc", QStringLiteral("CVSettings DLL")));
}

bool LibraryCalls::RunAutoBuildChart(const QString& project)
{
    return Call(bound(SettingsModule, "_RunAutoBuildChart", QStringLiteral("CVSettings DLL")),
                [&](QFunctionPointer address) {
                    reinterpret_cast<entry::OneText>(address)(m_application, characters(project));
                });
}

bool LibraryCalls::RunChartBuilder(const QString& project, const QString& chart)
{
    return CallTwoTexts(bound(SettingsModule, "_RunChartBuilder", QStringLiteral("CVSettings DLL")), project,
                        chart);
}

bool LibraryCalls::RunReports(const QString& projectOrGroup, const QString& report)
{
    return CallTwoTexts(reportEntry("_RunReports", "RunReports1"), projectOrGroup, report);
}

bool LibraryCalls::RunPrint(const QString& projectOrGroup, const QString& report)
{
    return CallTwoTexts(reportEntry("_RunPrint", "RunReports2"), projectOrGroup, report);
}

bool LibraryCalls::RunPreview(const QString& projectOrGroup, const QString& report)
{
    return CallTwoTexts(reportEntry("_RunPreview", "RunReports3"), projectOrGroup, report);
}

} // namespace corvane
