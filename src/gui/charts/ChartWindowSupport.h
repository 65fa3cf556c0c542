#pragma once

#include <QDate>
#include <QImage>
#include <QString>
#include <QStringList>

class QComboBox;
class QDateEdit;
class QDialog;
class QHBoxLayout;
class QProgressBar;
class QPushButton;
class QWidget;

namespace corvane {

class TDM1;

// What the chart windows share beside the chart frame.
namespace ChartWindowSupport {

// A chart window's list of projects, under its object name.
QComboBox* makeProjectList(QWidget* parent, const QString& objectName);

// The choices of the windows that chart one day of one engine (gains and
// losses, scores): "Project", "Search Engine" and "Date" in a row.
struct EngineDayChoices
{
    // The object names are the fields' names in the window.
    EngineDayChoices(QWidget* parent, const QString& projectsName, const QString& enginesName,
                     const QString& dateName);

    // Lists the chosen project's engines and sets the date to its last run
    // (today when it never ran), both without signals.
    void showProject(TDM1& dm);

    QComboBox* projects;
    QComboBox* engines;
    QDateEdit* date;
    QHBoxLayout* row; // for the window to place; further fields may follow
};

// A chart window's bottom row: a progress bar, "Close" (which accepts the
// window) and the window's help button.
struct ProgressAndClose
{
    ProgressAndClose(QDialog* window, QPushButton* help);

    QProgressBar* progress;
    QPushButton* close;
    QHBoxLayout* row;
};

// Fills the list with the Name of every CVProject row and selects the project
// (nothing when it is not there). Signals are held back meanwhile.
void fillProjects(TDM1& dm, QComboBox& list, const QString& project);

// The project's LastRun day; invalid when it never ran.
QDate lastRun(TDM1& dm, const QString& project);

// The names of the project's engines (CVSE3), in table order.
QStringList projectEngines(TDM1& dm, const QString& project);

// The project's logo ("Logo.bmp" in the program folder) when the project's
// flag column (Logo_Basic_Chart, Logo_GandL_Chart, ...) is set; else a null image.
QImage chartLogo(TDM1& dm, const QString& project, const QString& flagColumn);

} // namespace ChartWindowSupport

} // namespace corvane
