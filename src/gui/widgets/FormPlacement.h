#pragma once

#include <QObject>
#include <QString>

class QWidget;

namespace corvane {

// The FORM.INI section of each window that keeps its placement.
namespace FormSections {
inline constexpr const char* MainRankForm = "MainRankForm";
inline constexpr const char* DayGlanceForm = "DayGlanceForm";
inline constexpr const char* LogForm = "LogForm";
inline constexpr const char* BasicChartForm = "BasicChartForm";
inline constexpr const char* GandLForm = "GandLForm";
inline constexpr const char* ScoresForm = "ScoresForm";
inline constexpr const char* CVFullURL = "CVFullURL";
inline constexpr const char* GridForm = "GridForm";
inline constexpr const char* PrintForm = "PrintForm";
inline constexpr const char* PPForm = "PPForm";
inline constexpr const char* KWMixForm = "KWMixForm"; // position only
inline constexpr const char* KWFilters = "KWFilters";
inline constexpr const char* SEPopForm = "SEPopForm";
inline constexpr const char* ScriptCheckForm = "ScriptCheckForm";
inline constexpr const char* SetupWizardForm = "SetupWizardForm";
inline constexpr const char* DailyForm = "DailyForm";
} // namespace FormSections

// Keeps a window's size, position and state in FORM.INI under the window's
// own section: read when the window opens, written when it closes. A window
// that comes to rest within 32 pixels of a screen edge snaps onto it.
class FormPlacement : public QObject
{
    Q_OBJECT

public:
    enum class Keep { PositionAndSize, PositionOnly };

    // iniPath: the program folder followed by "FORM.INI".
    FormPlacement(QWidget* window, const QString& section, const QString& iniPath,
                  Keep keep = Keep::PositionAndSize);

    static constexpr int SnapDistance = 32;

    const QString& section() const { return m_section; }

    // Applies the stored placement; false when the section holds none.
    bool restore();
    void save() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void snapToScreenEdges();

    QWidget* m_window;
    QString m_section;
    QString m_iniPath;
    Keep m_keep;
};

} // namespace corvane
