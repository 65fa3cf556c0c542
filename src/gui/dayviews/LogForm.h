#pragma once

#include "core/dayviews/LogView.h"
#include "gui/widgets/ToolWindow.h"

#include <QDate>
#include <QString>

class QAction;
class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QPrinter;

namespace corvane {

// "Log": the event log that Harvester and the program write into CVLog, for
// a chosen period, as read-only text. The text is the file Log.txt in the
// program folder, written afresh for every period.
class TLogForm : public ToolWindow
{
    Q_OBJECT

public:
    explicit TLogForm(TDM1& dataModule, QWidget* parent = nullptr);
    ~TLogForm() override;

    // Shows the period: checks its menu item, writes Log.txt and loads it.
    void ShowPeriod(LogView::Period period);
    // The window's key of the shown period ("Entry", "1 Week", ...).
    const QString& periodKey() const { return m_periodKey; }
    QString text() const;
    QString logFilePath() const;

    // "Find...": opens the find dialog.
    void Find1Click();
    // A find request: searches downward from the end of the selection for
    // the dialog's text. A request that does not come from the window's find
    // dialog is refused.
    void FindDialog1Find(QObject* source);
    // The find dialog's text and options, for a request made in code.
    void setFindText(const QString& text, bool matchCase = false, bool wholeWord = false);
    QObject* findDialog() const { return m_findDialog; }
    QPlainTextEdit* editor() const { return m_text; }

    // "Print...": the system print dialog; PrintTo prints without it.
    void Print1Click();
    void PrintTo(QPrinter* printer);

    // Overrides today's date (tests and the benchmark).
    void setToday(const QDate& today) { m_today = today; }
    QDate today() const;

private:
    QPlainTextEdit* m_text;
    QAction* m_periodActions[5] = {};
    QString m_periodKey;
    QDate m_today;
    QDialog* m_findDialog;
    QLineEdit* m_findText;
    QCheckBox* m_matchCase;
    QCheckBox* m_wholeWord;
};

} // namespace corvane
