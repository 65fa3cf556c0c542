#include "gui/dayviews/LogForm.h"

#include "core/data/DatabaseError.h"
#include "core/datamodule/DM1.h"
#include "core/help/HelpContexts.h"
#include "gui/charts/ChartWindowSupport.h"
#include "gui/widgets/FormPlacement.h"

#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScopeGuard>
#include <QTextDocument>
#include <QVBoxLayout>

#include <stdexcept>

namespace corvane {

using LogView::Period;

namespace {

QString centred(const QString& text)
{
    return QStringLiteral("<P align=\"center\">") + text + QStringLiteral("</P>");
}

} // namespace

TLogForm::TLogForm(TDM1& dataModule, QWidget* parent)
    : ToolWindow(dataModule, FormSections::LogForm, HelpContexts::Log, parent)
    , m_text(new QPlainTextEdit)
    , m_findDialog(new QDialog(this))
    , m_findText(new QLineEdit)
    , m_matchCase(new QCheckBox(QStringLiteral("Match &case")))
    , m_wholeWord(new QCheckBox(QStringLiteral("Match &whole word only")))
{
    setObjectName(QStringLiteral("LogForm"));
    setWindowTitle(QStringLiteral("Log"));
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    resize(820, 560);

    auto* menuBar = new QMenuBar;
    QMenu* file = menuBar->addMenu(QStringLiteral("&File"));
    file->addAction(QStringLiteral("&Print..."), QKeySequence(Qt::CTRL | Qt::Key_P), this,
                    &TLogForm::Print1Click);
    file->addSeparator();
    file->addAction(QStringLiteral("E&xit"), QKeySequence(Qt::Key_Escape), this, &QDialog::reject);
    QMenu* edit = menuBar->addMenu(QStringLiteral("&Edit"));
    edit->addAction(QStringLiteral("&Find..."), QKeySequence(Qt::CTRL | Qt::Key_F), this,
                    &TLogForm::Find1Click);
    QMenu* view = menuBar->addMenu(QStringLiteral("&View"));
    auto* periods = new QActionGroup(this);
    const struct
    {
        Period period;
        const char* text;
        Qt::Key key;
    } items[] = {{Period::Entry, "Last &Entry Date", Qt::Key_E},
                 {Period::Session, "Last &Session Date", Qt::Key_S},
                 {Period::Week, "1 &Week", Qt::Key_W},
                 {Period::Month, "1 &Month", Qt::Key_M},
                 {Period::All, "&All", Qt::Key_A}};
    for (const auto& item : items) {
        QAction* action = view->addAction(QLatin1String(item.text));
        action->setShortcut(QKeySequence(Qt::CTRL | item.key));
        action->setCheckable(true);
        periods->addAction(action);
        const Period period = item.period;
        connect(action, &QAction::triggered, this, [this, period] { ShowPeriod(period); });
        m_periodActions[static_cast<int>(period)] = action;
    }

    auto* note =
        new QLabel(QStringLiteral("The log will display what occured during runs of Harvester.  Use this "
                                  "to diagnose potential problems."));
    note->setWordWrap(true);
    m_text->setObjectName(QStringLiteral("LogText"));
    m_text->setReadOnly(true);
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_text->setFont(QFont(QStringLiteral("Monospace"), m_text->font().pointSize()));
    m_text->setContextMenuPolicy(Qt::CustomContextMenu);
    auto* popup = new QMenu(this);
    popup->addAction(QStringLiteral("&Copy"), m_text, &QPlainTextEdit::copy);
    popup->addAction(QStringLiteral("&Paste"), m_text, &QPlainTextEdit::paste);
    connect(m_text, &QWidget::customContextMenuRequested, this,
            [this, popup](const QPoint& at) { popup->popup(m_text->viewport()->mapToGlobal(at)); });

    auto* close = new QPushButton(QStringLiteral("Close"));
    close->setAutoDefault(false);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(note, 1);
    buttons->addWidget(createHelpButton());
    buttons->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(menuBar);
    layout->addWidget(m_text, 1);
    layout->addLayout(buttons);

    // The find dialog: downward, find next.
    m_findDialog->setObjectName(QStringLiteral("FindDialog1"));
    m_findDialog->setWindowTitle(QStringLiteral("Find"));
    auto* findForm = new QFormLayout;
    findForm->addRow(QStringLiteral("Fi&nd what:"), m_findText);
    findForm->addRow(m_matchCase);
    findForm->addRow(m_wholeWord);
    auto* findButtons = new QDialogButtonBox;
    QPushButton* findNext =
        findButtons->addButton(QStringLiteral("&Find Next"), QDialogButtonBox::ActionRole);
    findNext->setDefault(true);
    findButtons->addButton(QDialogButtonBox::Cancel);
    connect(findNext, &QPushButton::clicked, this, [this] { FindDialog1Find(m_findDialog); });
    connect(findButtons, &QDialogButtonBox::rejected, m_findDialog, &QDialog::hide);
    auto* findLayout = new QVBoxLayout(m_findDialog);
    findLayout->addLayout(findForm);
    findLayout->addWidget(findButtons);

    restorePlacement();
    ShowPeriod(Period::Entry);
}

TLogForm::~TLogForm() { m_dm.LogQuery.close(); }

QDate TLogForm::today() const { return m_today.isValid() ? m_today : QDate::currentDate(); }
QString TLogForm::text() const { return m_text->toPlainText(); }
QString TLogForm::logFilePath() const { return m_dm.Settings.ExeFolder + QStringLiteral("Log.txt"); }

void TLogForm::ShowPeriod(Period period)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto restore = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
    m_periodActions[static_cast<int>(period)]->setChecked(true);
    m_periodKey = LogView::key(period);
    QDate day;
    if (period == Period::Entry)
        day = LogView::lastEntryDate(m_dm.General);
    else if (period == Period::Session)
        day = ChartWindowSupport::lastRun(m_dm, m_dm.Settings.Project);
    const QString path = logFilePath();
    try {
        // An empty log or a project that never ran names no day: nothing to show.
        LogView::exportLog(m_dm.LogQuery, LogView::statement(period, day, today()), path);
    } catch (const DatabaseError& error) {
        m_dm.ShowMessageBox(MessageButtons::Ok, QStringLiteral("Error"),
                            centred(error.message().toHtmlEscaped()), true, {});
        return;
    } catch (const std::runtime_error& error) {
        m_dm.ShowMessageBox(MessageButtons::Ok, QStringLiteral("Error"),
                            centred(QString::fromLocal8Bit(error.what()).toHtmlEscaped()), true, {});
        return;
    }
    QFile file(path);
    m_text->setPlainText(file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString());
    QDir::setCurrent(m_dm.Settings.ExeFolder);
}

void TLogForm::Find1Click()
{
    m_findDialog->show();
    m_findDialog->raise();
    m_findText->setFocus();
}

void TLogForm::setFindText(const QString& text, bool matchCase, bool wholeWord)
{
    m_findText->setText(text);
    m_matchCase->setChecked(matchCase);
    m_wholeWord->setChecked(wholeWord);
}

void TLogForm::FindDialog1Find(QObject* source)
{
    if (source != m_findDialog) {
        m_dm.ShowMessageBox(MessageButtons::Ok, QStringLiteral("Find/Rep"),
                            centred(QStringLiteral("Dynamic Cast Failed!")), true, {});
        return;
    }
    QTextDocument::FindFlags flags;
    if (m_matchCase->isChecked())
        flags |= QTextDocument::FindCaseSensitively;
    if (m_wholeWord->isChecked())
        flags |= QTextDocument::FindWholeWords;
    const QTextCursor from = m_text->textCursor();
    QTextCursor start(m_text->document());
    start.setPosition(from.selectionEnd());
    const QTextCursor hit = m_text->document()->find(m_findText->text(), start, flags);
    if (hit.isNull() || m_findText->text().isEmpty()) {
        m_dm.ShowMessageBox(MessageButtons::Ok, QStringLiteral("Find/Rep"),
                            centred(QStringLiteral("End of document reached.")), true, {});
        return;
    }
    m_text->setTextCursor(hit);
    m_text->ensureCursorVisible();
}

void TLogForm::Print1Click()
{
    QPrinter printer;
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() == QDialog::Accepted)
        PrintTo(&printer);
}

void TLogForm::PrintTo(QPrinter* printer)
{
    printer->setDocName(logFilePath());
    m_text->document()->setMetaInformation(QTextDocument::DocumentTitle, logFilePath());
    m_text->print(printer);
}

} // namespace corvane
