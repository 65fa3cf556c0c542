#pragma once

#include "gui/widgets/ToolWindow.h"

#include <QHash>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace corvane {

class NetworkSettings;
class TDM1;

// "Network Settings": the HTTP, FTP and proxy values of the program's
// clients, the search-engine API path and Harvester's retry and debug
// values. Opened with F9 in the main window. "Set" writes every value and
// stays open; "Close" drops what was not set.
class TNetSetForm : public ToolWindow
{
    Q_OBJECT

public:
    explicit TNetSetForm(TDM1& dataModule, QWidget* parent = nullptr);

    // The editor of a value, named by its registry value name ("HTTPPort").
    QWidget* editor(const QString& valueName) const;
    QPushButton* setButton() const { return SetButton; }
    QTabWidget* pages() const { return PageControl1; }

    void SetButtonClick();
    void EnableProxyClick();
    void BrowseDebugOutputClick();

private:
    QWidget* buildPage(const QString& tab);
    QWidget* buildEditor(const QString& valueName);
    void fill(const NetworkSettings& settings);
    NetworkSettings typed() const;
    void watchForChanges();
    void enableProxyFields();
    void ControlChange();

    QHash<QString, QWidget*> m_editors; // keyed by lower-cased value name
    QTabWidget* PageControl1;
    QCheckBox* EnableProxy = nullptr;
    QLineEdit* DebugOutputEdit = nullptr;
    QPushButton* SetButton;
    QPushButton* CloseButton;
    QPushButton* HelpButton;
};

} // namespace corvane
