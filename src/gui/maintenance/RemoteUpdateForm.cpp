#include "gui/maintenance/RemoteUpdateForm.h"

#include "core/help/HelpContexts.h"
#include "core/maintenance/RemoteUpdate.h"
#include "core/platform/Registry.h"
#include "core/settings/Settings.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>
#include <QVBoxLayout>

namespace corvane {

namespace {

const QString DefaultInfo =
    QStringLiteral("Remote Script Update pulls updated Search Engine Scripts from the Corvane FTP server.");

constexpr int AutomaticDelayMs = 2000;

// The long part of a hint "short|long"; the whole hint when it has one part.
QString longHint(const QString& hint)
{
    const qsizetype bar = hint.indexOf(QLatin1Char('|'));
    return bar < 0 ? hint : hint.mid(bar + 1);
}

} // namespace

TRemoteUpdateForm::TRemoteUpdateForm(QWidget* parent)
    : LibraryToolWindow(HelpContexts::RemoteScriptUpdate, parent)
{
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setObjectName(QStringLiteral("RemoteUpdateForm"));
    setWindowTitle(QStringLiteral("Remote Script Update"));
    resize(480, 400);

    m_log = new QTextEdit(this);
    m_log->setObjectName(QStringLiteral("Log"));
    m_log->setReadOnly(true);
    m_log->setFocusPolicy(Qt::NoFocus);

    m_outerBar = new QFrame(this);
    m_outerBar->setObjectName(QStringLiteral("OuterBar"));
    m_outerBar->setFrameShape(QFrame::Panel);
    m_outerBar->setFrameShadow(QFrame::Sunken);
    m_outerBar->setFixedHeight(16);
    m_innerBar = new QFrame(m_outerBar);
    m_innerBar->setObjectName(QStringLiteral("InnerBar"));
    m_innerBar->setAutoFillBackground(true);
    QPalette barColour = m_innerBar->palette();
    barColour.setColor(QPalette::Window, palette().color(QPalette::Highlight));
    m_innerBar->setPalette(barColour);
    m_innerBar->setGeometry(0, 0, 0, 16);
    m_outerBar->setVisible(false);

    m_resetScores = new QCheckBox(QStringLiteral("Reset Scores"), this);
    m_resetScores->setObjectName(QStringLiteral("ResetScores"));
    m_resetScores->setToolTip(QStringLiteral("Resets all Search Engine Scores to their default values."));
    m_resetDelays = new QCheckBox(QStringLiteral("Reset Delays"), this);
    m_resetDelays->setObjectName(QStringLiteral("ResetDelays"));
    m_resetDelays->setToolTip(
        QStringLiteral("Resets all Search Engine Delays (Stunt Values) to default values."));
    m_resetIncrementers = new QCheckBox(QStringLiteral("Reset Incrementers"), this);
    m_resetIncrementers->setObjectName(QStringLiteral("ResetIncrementers"));
    m_resetIncrementers->setToolTip(
        QStringLiteral("Resets all Search Engine Incrementers to their default values."));
    const struct
    {
        QCheckBox* box;
        const char* name;
        const char* what;
    } boxes[] = {
        {m_resetScores, "Reset Scores",
         "will replace all existing Search Engine scores with defaults from the search engine script about "
         "to "
         "be downloaded."},
        {m_resetDelays, "Reset Delays",
         "will replace all existing delay times for each Search Engine with defaults from the search engine "
         "script about to be downloaded."},
        {m_resetIncrementers, "Reset Incrementers",
         "will replace all existing incrementer values for each Search Engine with defaults from the search "
         "engine script about to be downloaded."},
    };
    for (const auto& b : boxes) {
        b.box->setChecked(true);
        const QString text = QStringLiteral("<P align=\"center\">Checking <B>") + QLatin1String(b.name)
            + QStringLiteral("</B> ") + QLatin1String(b.what) + QStringLiteral("</P>");
        QCheckBox* box = b.box;
        connect(box, &QCheckBox::clicked, this, [this, box, text] { ResetBoxClick(box, text); });
    }

    m_runButton = new QPushButton(QStringLiteral("Run"), this);
    m_runButton->setObjectName(QStringLiteral("RunButton"));
    m_runButton->setToolTip(QStringLiteral("Run--get new Search Engine Scripts."));
    m_runButton->setAutoDefault(false);
    connect(m_runButton, &QPushButton::clicked, this, &TRemoteUpdateForm::RunButtonClick);
    m_closeButton = new QPushButton(QStringLiteral("Close"), this);
    m_closeButton->setObjectName(QStringLiteral("CloseButton"));
    m_closeButton->setAutoDefault(false);
    connect(m_closeButton, &QPushButton::clicked, this, &QDialog::reject);

    m_info = new QLabel(DefaultInfo, this);
    m_info->setObjectName(QStringLiteral("InfoLabel"));
    m_info->setWordWrap(true);
    m_info->setFrameShape(QFrame::StyledPanel);
    m_info->setMinimumHeight(36);

    auto* resetRow = new QHBoxLayout;
    resetRow->addWidget(m_resetScores);
    resetRow->addWidget(m_resetDelays);
    resetRow->addWidget(m_resetIncrementers);
    resetRow->addStretch();

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_runButton);
    buttons->addStretch();
    QPushButton* help = createHelpButton();
    buttons->addWidget(help);
    buttons->addWidget(m_closeButton);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_log, 1);
    layout->addWidget(m_outerBar);
    layout->addLayout(resetRow);
    layout->addLayout(buttons);
    layout->addWidget(m_info);

    for (QWidget* w : std::initializer_list<QWidget*>{m_runButton, m_closeButton, help, m_resetScores,
                                                      m_resetDelays, m_resetIncrementers, m_log})
        w->installEventFilter(this);

    const Registry registry;
    m_exeFolder = RegistryKey(registry, SettingsKeys::path(QLatin1String(SettingsKeys::FileLocations)))
                      .readString(QStringLiteral("ExeFolder"));
}

void TRemoteUpdateForm::setRemoteUpdateFlags(bool automatic, bool showResetOptions)
{
    m_automatic = automatic;
    m_showResetOptions = showResetOptions;
}

void TRemoteUpdateForm::showEvent(QShowEvent* event)
{
    LibraryToolWindow::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        FormShow();
    }
}

void TRemoteUpdateForm::FormShow()
{
    for (QCheckBox* box : {m_resetScores, m_resetDelays, m_resetIncrementers}) {
        box->setVisible(m_showResetOptions);
        box->setEnabled(!m_automatic);
    }
    if (m_automatic) {
        m_runButton->setEnabled(false);
        m_closeButton->setEnabled(false);
    }
    QTimer::singleShot(AutomaticDelayMs, Qt::PreciseTimer, this, &TRemoteUpdateForm::Timer1Timer);
}

void TRemoteUpdateForm::Timer1Timer()
{
    if (!m_automatic || !isVisible())
        return;
    RunButtonClick();
    accept();
}

bool TRemoteUpdateForm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Enter) {
        if (auto* widget = qobject_cast<QWidget*>(watched))
            ShowHint(widget->toolTip());
    } else if (event->type() == QEvent::Leave) {
        ShowHint({});
    }
    return LibraryToolWindow::eventFilter(watched, event);
}

void TRemoteUpdateForm::ShowHint(const QString& hint)
{
    const QString text = longHint(hint);
    m_info->setText(text.isEmpty() ? DefaultInfo : text);
}

void TRemoteUpdateForm::ResetBoxClick(QCheckBox* box, const QString& text)
{
    if (box->isChecked())
        ShowMessage(MessageButtons::Ok, QStringLiteral("Warning"), text);
}

void TRemoteUpdateForm::AddLine(const QString& line)
{
    // One centred paragraph per line, as plain text.
    QTextCursor cursor(m_log->document());
    cursor.movePosition(QTextCursor::End);
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    if (m_log->document()->isEmpty())
        cursor.setBlockFormat(centred);
    else
        cursor.insertBlock(centred);
    cursor.insertText(line);
    m_log->ensureCursorVisible();
    m_log->verticalScrollBar()->setValue(m_log->verticalScrollBar()->maximum());
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TRemoteUpdateForm::SetBar(double share)
{
    const int width = int(share * m_outerBar->width());
    if (width != m_innerBar->width()) {
        m_innerBar->setGeometry(0, 0, width, m_outerBar->height());
        // Keeps the window painting during the blocking transfer.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
}

void TRemoteUpdateForm::RunButtonClick()
{
    if (m_running)
        return;
    m_running = true;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_outerBar->setVisible(true);
    m_innerBar->setGeometry(0, 0, 0, m_outerBar->height());
    m_runButton->setEnabled(false);
    m_closeButton->setEnabled(false);
    m_log->clear();
    AddLine(QStringLiteral("Wait..."));

    RemoteUpdate::Options options;
    options.resetScores = m_resetScores->isChecked();
    options.resetDelays = m_resetDelays->isChecked();
    options.resetIncrementers = m_resetIncrementers->isChecked();
    RemoteUpdate update(
        options, [this](const QString& line) { AddLine(line); }, [this](double share) { SetBar(share); });
    update.run();

    m_running = false;
    if (!m_automatic) {
        m_runButton->setEnabled(true);
        m_closeButton->setEnabled(true);
    }
    QApplication::restoreOverrideCursor();
    if (m_closePending) {
        m_closePending = false;
        reject();
    }
}

void TRemoteUpdateForm::reject()
{
    // A close asked for during a run takes effect once the run is over.
    if (m_running) {
        m_closePending = true;
        return;
    }
    LibraryToolWindow::reject();
}

void TRemoteUpdateForm::closeEvent(QCloseEvent* event)
{
    if (m_running) {
        m_closePending = true;
        event->ignore();
        return;
    }
    LibraryToolWindow::closeEvent(event);
}

void TRemoteUpdateForm::done(int result)
{
    if (m_running) {
        m_closePending = true;
        return;
    }
    if (!m_exeFolder.isEmpty())
        QDir::setCurrent(m_exeFolder);
    LibraryToolWindow::done(result);
}

} // namespace corvane
