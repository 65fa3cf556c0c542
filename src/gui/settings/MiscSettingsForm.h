#pragma once

#include "gui/widgets/ToolWindow.h"

#include <QString>

class QCheckBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace corvane {

struct MiscSettings;
class TDM1;

// "Miscellaneous Settings": how Harvester runs its sessions (throttle,
// connections, scan order, browser content, shutdown, chart caching) and how
// long log and rank records are kept. Only "Set" writes; "Close" drops what
// was not set. Three buttons open the settings library's finer windows.
class TMiscSettingsForm : public ToolWindow
{
    Q_OBJECT

public:
    explicit TMiscSettingsForm(TDM1& dataModule, QWidget* parent = nullptr);

    QSpinBox* throttleSpin() const { return ESSpinThrottle; }
    QSpinBox* connectionsSpin() const { return ESSpinConnections; }
    QCheckBox* disorderlyCheck() const { return DisorderlyCheck; }
    QCheckBox* randBrowseCheck() const { return RandBrowseCheck; }
    QCheckBox* autoCloseCheck() const { return AutoCloseCheck; }
    QCheckBox* cacheChartsCheck() const { return CacheChartsCheck; }
    QCheckBox* logRetentionCheck() const { return LogRetentionCheck; }
    QSpinBox* logRetentionSpin() const { return LogRetentionSpin; }
    QCheckBox* dataRetentionCheck() const { return DataRetentionCheck; }
    QSpinBox* dataRetentionSpin() const { return DataRetentionSpin; }
    QPushButton* setButton() const { return SetButton; }
    QPushButton* advThrottleButton() const { return AdvThrottleButton; }
    QPushButton* stuntValuesButton() const { return StuntButton; }
    QPushButton* engineIncrementButton() const { return EngIncButton; }
    QTableWidget* recommendedConnections() const { return RecommendedGrid; }
    QLabel* descriptionPanel() const { return Description; }

    // Where the settings library is looked for (tests).
    void setModuleFolder(const QString& folder) { m_moduleFolder = folder; }

    // The description panel's text when no control with a hint is under the mouse.
    static QString DefaultDescription();

    void SetButtonClick();
    void AdvThrottleClick();
    void SetStuntValuesClick();
    void EngineIncrementClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void fill(const MiscSettings& settings);
    MiscSettings typed() const;
    void setHint(QWidget* control, const QString& shortHint, const QString& longHint);
    void controlChanged();
    void enableRetentionSpins();

    QSpinBox* ESSpinThrottle;
    QSpinBox* ESSpinConnections;
    QCheckBox* DisorderlyCheck;
    QCheckBox* RandBrowseCheck;
    QCheckBox* AutoCloseCheck;
    QCheckBox* CacheChartsCheck;
    QCheckBox* LogRetentionCheck;
    QSpinBox* LogRetentionSpin;
    QCheckBox* DataRetentionCheck;
    QSpinBox* DataRetentionSpin;
    QTableWidget* RecommendedGrid;
    QLabel* Description;
    QPushButton* AdvThrottleButton;
    QPushButton* StuntButton;
    QPushButton* EngIncButton;
    QPushButton* HelpButton;
    QPushButton* SetButton;
    QPushButton* CloseButton;
    int m_randScan = 0;
    double m_lastRun = 0.0;
    bool m_unsaved = false;
    QString m_moduleFolder;
};

} // namespace corvane
