#pragma once

#include "core/maintenance/DailyResults.h"

#include <QDialog>
#include <QString>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace corvane {

class BrowserPane;
class FormPlacement;

// "Daily Results" of the maintenance library: every stored rank of one
// project and day as an HTML page, built by a worker thread into Daily.html
// in the program folder and shown in the window's browser, from which it
// prints. The choices are kept in the settings store.
class TCVDailyForm : public QDialog
{
    Q_OBJECT
    Q_PROPERTY(QString projectName READ projectName)
    Q_PROPERTY(bool building READ building)

public:
    explicit TCVDailyForm(QWidget* parent = nullptr);
    ~TCVDailyForm() override;

    // The text argument of the call: the project to select.
    void setProjectName(const QString& project) { m_projectName = project; }
    const QString& projectName() const { return m_projectName; }

    // Handlers
    void FormShow();
    void ProjectChange();
    void GroupByChange();
    void RunButtonClick();
    void PrintButtonClick();
    // The worker is done (on the window's thread).
    void DailyFinished(const QString& error);

    bool building() const { return m_building; }
    bool runEnabled() const;
    QString labelLine() const;
    QString informationText() const;
    BrowserPane* browser() const { return m_browser; }
    // The worker's input as the controls stand.
    DailyResults::Input input() const;

    QComboBox* projectList() const { return m_projects; }
    QComboBox* dateList() const { return m_dates; }
    QComboBox* groupByList() const { return m_groupBy; }
    QComboBox* thenByList() const { return m_thenBy; }
    QCheckBox* showIndexBox() const { return m_showIndex; }
    QRadioButton* orderButton(int order) const { return m_orders[order]; }

    static QString defaultInformation();

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    bool event(QEvent* event) override;

private:
    void FillDates();
    void UpdateRun();
    void SetBusy(bool busy);
    void WriteSettings();
    int order() const;

    QString m_projectName;
    QString m_dataFolder;
    QString m_programFolder;
    bool m_shown = false;
    bool m_building = false;
    QComboBox* m_projects;
    QComboBox* m_dates;
    QComboBox* m_groupBy;
    QComboBox* m_thenBy;
    QRadioButton* m_orders[3];
    QCheckBox* m_showIndex;
    QPushButton* m_run;
    QPushButton* m_print;
    QPushButton* m_close;
    QLabel* m_label;
    QLabel* m_information;
    BrowserPane* m_browser;
    FormPlacement* m_placement;
};

} // namespace corvane
