#include "gui/settings/NetSetForm.h"

#include "core/datamodule/DM1.h"
#include "core/help/HelpContexts.h"
#include "core/settings/NetworkSettings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

namespace corvane {

namespace {

// How each tab lays its values out: up to two columns of labelled values,
// then values that take the whole width, and a line saying what the tab is for.
struct PageLayout
{
    const char* tab;
    QList<QStringList> columns;
    QStringList wide;
    const char* note;
};

const QList<PageLayout>& pageLayouts()
{
    static const QList<PageLayout> layouts = {
        {"HTTP",
         {{QStringLiteral("HTTPPort"), QStringLiteral("HTTPReadTimeout"), QStringLiteral("HTTPRetryTimes"),
           QStringLiteral("HTTPProtocolVersion"), QStringLiteral("HTTPRedirectMaximum"),
           QStringLiteral("HTTPHandleRedirects"), QStringLiteral("HTTPAllowCookies")},
          {QStringLiteral("HTTPRecvBufferSize"), QStringLiteral("HTTPSendBufferSize"),
           QStringLiteral("HTTPContentLength"), QStringLiteral("HTTPContentRangeStart"),
           QStringLiteral("HTTPContentRangeEnd")}},
         {QStringLiteral("HTTPUserAgent"), QStringLiteral("HTTPAccept")},
         "How Duvuda Duvedozo, Rureder Orad and the Project Wizard fetch web pages. "
         "Time-outs are in milliseconds; \"Retry Fails\" is how often a failed result page is asked "
         "for again before the engine is skipped."},
        {"FTP",
         {{QStringLiteral("FTPHost"), QStringLiteral("FTPPort"), QStringLiteral("FTPUserName"),
           QStringLiteral("FTPPassword"), QStringLiteral("FTPHostPath")},
          {QStringLiteral("FTPTrsfrType"), QStringLiteral("FTPReadTimeout"), QStringLiteral("FTPRecvBuff"),
           QStringLiteral("FTPSendBuff")}},
         {},
         "The update server that Remote Script Update downloads new search engine scripts from."},
        {"Proxy",
         {{QStringLiteral("ProxyAuth"), QStringLiteral("ProxyHost"), QStringLiteral("ProxyPort"),
           QStringLiteral("ProxyUsername"), QStringLiteral("ProxyPassword")}},
         {},
         "With \"Enable Proxy\" checked, page requests go through this proxy server. "
         "The password is kept enciphered."},
        {"Misc",
         {{QStringLiteral("HVRetryTimes"), QStringLiteral("HVRetrySeconds"), QStringLiteral("Debug")}},
         {QStringLiteral("GoogleAPIPath"), QStringLiteral("DebugOutput")},
         "Harvester retries a failed session \"HV Retry Times\" times, \"HV Retry Seconds\" apart. "
         "With \"Debug\" checked, debug output is written into the debug output folder."},
    };
    return layouts;
}

const QStringList& passwordValues()
{
    static const QStringList names = {QStringLiteral("FTPPassword"), QStringLiteral("ProxyPassword")};
    return names;
}

const QStringList& proxyFields()
{
    static const QStringList names = {QStringLiteral("ProxyHost"), QStringLiteral("ProxyPort"),
                                      QStringLiteral("ProxyUsername"), QStringLiteral("ProxyPassword")};
    return names;
}

// The list items of the two values chosen from a list, by item index.
QStringList listItems(const QString& valueName)
{
    if (valueName == QLatin1String("HTTPProtocolVersion"))
        return {QStringLiteral("pv1_0"), QStringLiteral("pv1_1")};
    if (valueName == QLatin1String("FTPTrsfrType"))
        return {QStringLiteral("Text"), QStringLiteral("Binary")};
    return {};
}

// The number a box shows, in the store's plain decimal form; the text as it
// stands when it is not a number in the box's locale (digits, signs and group
// separators of the user's language are read as such).
QString typedNumber(const QSpinBox& spin)
{
    bool ok = false;
    const int value = spin.locale().toInt(spin.cleanText(), &ok);
    return ok ? SettingText::fromInteger(value) : spin.cleanText();
}

} // namespace

TNetSetForm::TNetSetForm(TDM1& dataModule, QWidget* parent)
    : ToolWindow(dataModule, nullptr, HelpContexts::NetworkSettings, parent)
    , PageControl1(new QTabWidget(this))
    , SetButton(new QPushButton(QStringLiteral("Set"), this))
    , CloseButton(new QPushButton(QStringLiteral("Close"), this))
    , HelpButton(createHelpButton())
{
    setWindowTitle(QStringLiteral("Network Settings"));

    auto* banner = new QLabel(QStringLiteral("Alter these settings at your own risk"), this);
    banner->setAlignment(Qt::AlignCenter);
    banner->setStyleSheet(QStringLiteral(
        "QLabel { font-weight: bold; color: #8A1F11; background: #FDECEA; border: 1px solid #E6A39A; "
        "padding: 6px; }"));

    for (const PageLayout& page : pageLayouts())
        PageControl1->addTab(buildPage(QLatin1String(page.tab)), QLatin1String(page.tab));

    HelpButton->setToolTip(QStringLiteral("Help on the network settings"));
    HelpButton->setFixedWidth(HelpButton->fontMetrics().horizontalAdvance(QStringLiteral("??")) + 24);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(HelpButton);
    buttons->addStretch(1);
    buttons->addWidget(SetButton);
    buttons->addWidget(CloseButton);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(banner);
    layout->addWidget(PageControl1, 1);
    layout->addLayout(buttons);

    SetButton->setAutoDefault(false);
    CloseButton->setAutoDefault(false);
    HelpButton->setAutoDefault(false);
    connect(SetButton, &QPushButton::clicked, this, &TNetSetForm::SetButtonClick);
    connect(CloseButton, &QPushButton::clicked, this, &QDialog::reject);

    fill(NetworkSettings::fromRecord(m_dm.Settings));
    watchForChanges();
    SetButton->setEnabled(false);
}

QWidget* TNetSetForm::editor(const QString& valueName) const { return m_editors.value(valueName.toLower()); }

QWidget* TNetSetForm::buildPage(const QString& tab)
{
    auto* page = new QWidget(PageControl1);
    auto* layout = new QVBoxLayout(page);
    for (const PageLayout& p : pageLayouts()) {
        if (tab != QLatin1String(p.tab))
            continue;
        auto* note = new QLabel(QLatin1String(p.note), page);
        note->setWordWrap(true);
        note->setStyleSheet(QStringLiteral("QLabel { color: #505050; }"));
        layout->addWidget(note);

        // Number boxes and lists keep their natural width; text boxes take
        // the rest. A page of one column keeps its wide values in that column,
        // so that all its labels line up.
        const auto newForm = [] {
            auto* form = new QFormLayout;
            form->setFieldGrowthPolicy(QFormLayout::ExpandingFieldsGrow);
            return form;
        };
        auto* columns = new QHBoxLayout;
        QFormLayout* form = nullptr;
        for (const QStringList& column : p.columns) {
            form = newForm();
            for (const QString& name : column) {
                QWidget* widget = buildEditor(name);
                if (qobject_cast<QCheckBox*>(widget))
                    form->addRow(QString(), widget);
                else
                    form->addRow(QLatin1String(NetworkSettings::field(name)->label), widget);
            }
            columns->addLayout(form, 1);
        }
        layout->addLayout(columns);

        QFormLayout* wide = form && p.columns.size() == 1 ? form : newForm();
        for (const QString& name : p.wide)
            wide->addRow(QLatin1String(NetworkSettings::field(name)->label), buildEditor(name));
        if (wide != form)
            layout->addLayout(wide);
    }
    layout->addStretch(1);
    return page;
}

QWidget* TNetSetForm::buildEditor(const QString& valueName)
{
    const NetworkSettings::Field* field = NetworkSettings::field(valueName);
    QWidget* widget = nullptr;
    const QStringList items = listItems(valueName);
    if (!items.isEmpty()) {
        auto* combo = new QComboBox(this);
        combo->addItems(items);
        combo->setMinimumWidth(110);
        widget = combo;
    } else if (field->descriptor->form == SettingDescriptor::Form::Flag) {
        auto* check = new QCheckBox(QLatin1String(field->label), this);
        if (valueName == QLatin1String("ProxyAuth")) {
            EnableProxy = check;
            connect(check, &QCheckBox::clicked, this, &TNetSetForm::EnableProxyClick);
        }
        widget = check;
    } else if (field->descriptor->form == SettingDescriptor::Form::Integer) {
        auto* spin = new QSpinBox(this);
        spin->setRange(field->minimum, field->maximum);
        spin->setMinimumWidth(110);
        widget = spin;
    } else if (valueName == QLatin1String("DebugOutput")) {
        DebugOutputEdit = new QLineEdit(this);
        auto* browse = new QPushButton(QStringLiteral("Browse..."), this);
        browse->setAutoDefault(false);
        connect(browse, &QPushButton::clicked, this, &TNetSetForm::BrowseDebugOutputClick);
        auto* box = new QWidget(this);
        auto* row = new QHBoxLayout(box);
        row->setContentsMargins(0, 0, 0, 0);
        row->addWidget(DebugOutputEdit, 1);
        row->addWidget(browse);
        m_editors.insert(valueName.toLower(), DebugOutputEdit);
        DebugOutputEdit->setObjectName(valueName);
        return box;
    } else {
        auto* edit = new QLineEdit(this);
        if (passwordValues().contains(valueName))
            edit->setEchoMode(QLineEdit::Password);
        widget = edit;
    }
    widget->setObjectName(valueName);
    m_editors.insert(valueName.toLower(), widget);
    return widget;
}

void TNetSetForm::fill(const NetworkSettings& settings)
{
    for (const NetworkSettings::Field& f : NetworkSettings::fields()) {
        const QString name = QLatin1String(f.descriptor->name);
        const QString text = settings.text(name);
        QWidget* widget = editor(name);
        if (auto* combo = qobject_cast<QComboBox*>(widget))
            combo->setCurrentIndex(qBound(0, text.toInt(), combo->count() - 1));
        else if (auto* check = qobject_cast<QCheckBox*>(widget))
            check->setChecked(SettingText::toFlag(text));
        else if (auto* spin = qobject_cast<QSpinBox*>(widget))
            spin->setValue(text.toInt());
        else if (auto* edit = qobject_cast<QLineEdit*>(widget))
            edit->setText(text);
    }
    enableProxyFields();
}

NetworkSettings TNetSetForm::typed() const
{
    NetworkSettings settings;
    for (const NetworkSettings::Field& f : NetworkSettings::fields()) {
        const QString name = QLatin1String(f.descriptor->name);
        QWidget* widget = editor(name);
        if (auto* combo = qobject_cast<QComboBox*>(widget))
            settings.setText(name, SettingText::fromInteger(combo->currentIndex()));
        else if (auto* check = qobject_cast<QCheckBox*>(widget))
            settings.setFlag(name, check->isChecked());
        else if (auto* spin = qobject_cast<QSpinBox*>(widget))
            settings.setText(name, typedNumber(*spin));
        else if (auto* edit = qobject_cast<QLineEdit*>(widget))
            settings.setText(name, edit->text());
    }
    return settings;
}

void TNetSetForm::watchForChanges()
{
    for (QWidget* widget : std::as_const(m_editors)) {
        if (auto* combo = qobject_cast<QComboBox*>(widget))
            connect(combo, &QComboBox::currentIndexChanged, this, &TNetSetForm::ControlChange);
        else if (auto* check = qobject_cast<QCheckBox*>(widget))
            connect(check, &QCheckBox::clicked, this, &TNetSetForm::ControlChange);
        else if (auto* spin = qobject_cast<QSpinBox*>(widget))
            connect(spin, &QSpinBox::textChanged, this, &TNetSetForm::ControlChange);
        else if (auto* edit = qobject_cast<QLineEdit*>(widget))
            connect(edit, &QLineEdit::textChanged, this, &TNetSetForm::ControlChange);
    }
}

void TNetSetForm::ControlChange() { SetButton->setEnabled(true); }

void TNetSetForm::enableProxyFields()
{
    for (const QString& name : proxyFields())
        editor(name)->setEnabled(EnableProxy->isChecked());
}

void TNetSetForm::EnableProxyClick() { enableProxyFields(); }

void TNetSetForm::SetButtonClick()
{
    const NetworkSettings settings = typed();
    const QStringList problems =
        settings.write(m_dm.Settings, [this](const QString& key, const QString& name, const QString& text) {
            return m_dm.WriteSetting(key, name, text);
        });
    if (!problems.isEmpty()) {
        QStringList lines;
        for (const QString& line : problems)
            lines << line.toHtmlEscaped();
        m_dm.ShowMessageBox(MessageButtons::Ok, QStringLiteral("Error"),
                            QStringLiteral("<P align=\"center\"><B>Nothing was saved.</B><BR>")
                                + lines.join(QStringLiteral("<BR>")) + QStringLiteral("</P>"),
                            true, {});
        return;
    }
    // Show the folder as it was stored, with its trailing "/".
    DebugOutputEdit->setText(m_dm.Settings.DebugOutput);
    SetButton->setEnabled(false);
}

void TNetSetForm::BrowseDebugOutputClick()
{
    const QString folder =
        QFileDialog::getExistingDirectory(this, QStringLiteral("Select Directory"), DebugOutputEdit->text());
    if (!folder.isEmpty())
        DebugOutputEdit->setText(folder);
}

} // namespace corvane
