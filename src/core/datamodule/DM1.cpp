#include "core/datamodule/DM1.h"

#include "core/data/Schema.h"

#include <QDate>
#include <QRegularExpression>
#include <QTextStream>
#include <QTime>

#include <cstdio>

namespace corvane {

TDM1* DM1 = nullptr;

namespace {

// The answer of a message nobody can see: the button that declines.
QString repairedSettingsText(const QList<RepairedSetting>& repaired)
{
    const auto list = [&repaired](bool writtenBack) {
        QString items;
        for (const RepairedSetting& r : repaired) {
            if (r.writtenBack == writtenBack)
                items += QStringLiteral("<LI>%1 \\ %2: \"%3\" became \"%4\"</LI>")
                             .arg(r.key.toHtmlEscaped(), r.name.toHtmlEscaped(), r.foundText.toHtmlEscaped(),
                                  r.defaultText.toHtmlEscaped());
        }
        return items;
    };
    QString text;
    if (const QString written = list(true); !written.isEmpty())
        text += QStringLiteral("<P align=\"center\">These settings did not hold a whole number "
                               "and were reset to their defaults:</P><UL>")
            + written + QStringLiteral("</UL>");
    // Only what was written is called reset.
    if (const QString unwritten = list(false); !unwritten.isEmpty())
        text += QStringLiteral("<P align=\"center\">These settings did not hold a whole number; their "
                               "defaults are used for this run but could not be written back, as their "
                               "key is missing from the settings store:</P><UL>")
            + unwritten + QStringLiteral("</UL>");
    return text;
}

// A message's HTML as terminal text: paragraphs, line breaks and list items on
// lines of their own, tags dropped, character references decoded. Text without
// markup is left as it is.
QString terminalText(const QString& html)
{
    static const QRegularExpression markup(QStringLiteral("<[A-Za-z/!]"));
    if (!html.contains(markup))
        return html;
    static const QRegularExpression lineBreak(QStringLiteral("<BR\\s*/?>|</P>|</LI>|</UL>"),
                                              QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression listItem(QStringLiteral("<LI\\b[^>]*>"),
                                             QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression tag(QStringLiteral("<[^>]*>"));
    static const QRegularExpression reference(
        QStringLiteral("&(#[0-9]+|#[xX][0-9A-Fa-f]+|amp|lt|gt|quot|apos|nbsp);"));
    QString text = html;
    text.replace(lineBreak, QStringLiteral("\n")).replace(listItem, QStringLiteral("  - ")).remove(tag);
    QString plain;
    qsizetype from = 0;
    for (auto it = reference.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        plain += QStringView(text).sliced(from, m.capturedStart() - from);
        const QString name = m.captured(1);
        if (name == QLatin1String("amp"))
            plain += u'&';
        else if (name == QLatin1String("lt"))
            plain += u'<';
        else if (name == QLatin1String("gt"))
            plain += u'>';
        else if (name == QLatin1String("quot"))
            plain += u'"';
        else if (name == QLatin1String("apos"))
            plain += u'\'';
        else if (name == QLatin1String("nbsp"))
            plain += u' ';
        else {
            bool ok = false;
            const uint code =
                name.at(1).toLower() == u'x' ? name.mid(2).toUInt(&ok, 16) : name.mid(1).toUInt(&ok);
            if (ok && code > 0 && code <= 0x10FFFF)
                plain += QString::fromUcs4(reinterpret_cast<const char32_t*>(&code), 1);
            else
                plain += m.captured();
        }
        from = m.capturedEnd();
    }
    plain += QStringView(text).sliced(from);
    return plain.trimmed();
}

} // namespace

TDM1::TDM1(Registry registry)
    : DefaultSession(QStringLiteral("Default"))
    , SE3Session(QStringLiteral("SE3Session"), LockSettings{15, 100})
    , General(QStringLiteral("General"), &DefaultSession)
    , SE3(QStringLiteral("SE3"), &SE3Session)
    , RankTable(&General, QStringLiteral("CVRank"), QStringLiteral("RankDateidx"))
    , RankQuery(&General)
    , MergeTable(&General, QStringLiteral("Merge"))
    , STTable(&General, QStringLiteral("CVST"), QStringLiteral("STVirtidx"))
    , URLTable(&General, QStringLiteral("CVURL"), QStringLiteral("Nameidx"))
    , SQLTeeTable(&General, QStringLiteral("CVSQLTee"), QStringLiteral("SQLTeeFileidx"))
    , LogTable(&General, QStringLiteral("CVLog"), QStringLiteral("LogDateidx"))
    , GridQuery(&General)
    , LogQuery(&General)
    , NotableTable(&General, QStringLiteral("CVNotable"))
    , Q1(&General)
    , Q2(&General)
    , HiLoTable(&General, QStringLiteral("CVHilo"), QStringLiteral("HiloDateidx"))
    , NotableQuery(&General)
    , SE3Table(&SE3, QStringLiteral("SE3"), QStringLiteral("SEName"))
    , DayGlanceQuery(&General)
    , GroupTable(&General, QStringLiteral("CVProject"), QStringLiteral("Nameidx"))
    , EngineTable(&General, QStringLiteral("CVEngine"))
    , TempTable(&General)
    , MixTable(&General, QStringLiteral("CVMix"), QStringLiteral("Nameidx"))
    , PhraseTable(&General, QStringLiteral("Phrase"), QStringLiteral("Phraseidx"))
    , EngineQuery(&General)
    , SummaryTable(&General, QStringLiteral("Summary"))
    , Temp2Table(&General, QStringLiteral("Temp2"), QStringLiteral("URLidx"))
    , SE3Query(&SE3)
    , CVSE3Table(&General, QStringLiteral("CVSE3"), QStringLiteral("Nameidx"))
    , ChartCacheTable(&General, QStringLiteral("CVChartCache"))
    , ReportStyleTable(&SE3, QStringLiteral("CVReports"), QStringLiteral("Reportidx"))
    , TempQuery(&General)
    , m_registry(std::move(registry))
{
    SE3Session.setPasswordHook([](Session& session) {
        session.addPassword(TablePassword());
        return true;
    });
    Q1.setRequestLive(true);

    installErrorHandlers(RankTable, QStringLiteral("Rank"));
    installErrorHandlers(STTable, QStringLiteral("SearchTerm"));
    installErrorHandlers(URLTable, QStringLiteral("URL"));
    installErrorHandlers(SQLTeeTable, QStringLiteral("SQLTee"));
    installErrorHandlers(SE3Table, QStringLiteral("SE3"));
}

TDM1::~TDM1()
{
    CloseDatabases();
    if (DM1 == this)
        DM1 = nullptr;
}

QString TDM1::TablePassword() { return QLatin1String(Schema::SE3Password); }

void TDM1::LoadSettings()
{
    if (const QString fault = settingsStoreFault(m_registry); !fault.isEmpty())
        ShowMessageBox(MessageButtons::Ok, QStringLiteral("Error"), fault.toHtmlEscaped(), true, {});
    const QList<RepairedSetting> repaired = loadSettings(m_registry, Settings);
    if (!repaired.isEmpty())
        ShowMessageBox(MessageButtons::Ok, QStringLiteral("Settings Repaired"),
                       repairedSettingsText(repaired), true, {});
    RegisterChartHelp();
}

void TDM1::RegisterChartHelp()
{
    const QString helpKey = QStringLiteral("SOFTWARE\\Microsoft\\Windows\\Help");
    if (!m_registry.keyExists(helpKey))
        return;
    if (!m_registry.writeString(helpKey, QStringLiteral("teeuser6.hlp"), Settings.ExeFolder))
        ShowMessageBox(MessageButtons::Ok, QStringLiteral("Error"), QStringLiteral("teeuser6.hlp not found"),
                       true, {});
}

QString TDM1::WriteSetting(const QString& key, const QString& name, const QString& text)
{
    return writeSetting(m_registry, key, name, text);
}

MessageAnswer TDM1::ShowMessageBox(MessageButtons buttons, const QString& title, const QString& text,
                                   bool show, const QString& key)
{
    if (!show)
        return MessageAnswer::None;
    // A copy: the presenter may hand the messages to another while it runs.
    if (const MessagePresenter presenter = m_presenter)
        return presenter(buttons, title, text, key);
    QTextStream(stderr) << title << ": " << terminalText(text) << Qt::endl;
    return declinedAnswer(buttons);
}

void TDM1::LoadSwitches()
{
    const RegistryKey key(m_registry, SettingsKeys::path(QLatin1String(SettingsKeys::MsgShow)));
    for (const QString& name : messageSwitchNames())
        m_messageSwitches[name] = SettingText::toFlag(key.readString(name));
}

void TDM1::EnableAllMessages()
{
    const MessageAnswer answer =
        ShowMessageBox(MessageButtons::OkCancel, QString(),
                       QStringLiteral("<P align=\"center\">Click \"OK\" to enable all message "
                                      "boxes<BR>that you have previously disabled.</P>"),
                       true, {});
    if (answer != MessageAnswer::Ok)
        return;
    for (const QString& name : messageSwitchNames())
        StoreMessageSwitch(name, true);
}

bool TDM1::MessageSwitch(const QString& key) const
{
    return key.isEmpty() || m_messageSwitches.value(key, false);
}

void TDM1::StoreMessageSwitch(const QString& key, bool show)
{
    if (key.isEmpty())
        return;
    m_messageSwitches[key] = show;
    m_registry.writeString(SettingsKeys::path(QLatin1String(SettingsKeys::MsgShow)), key,
                           SettingText::fromFlag(show));
}

void TDM1::LogDatabaseError(const QString& title, const QString& message)
{
    Q_UNUSED(title);
    try {
        LogTable.open();
        LogTable.append();
        LogTable.setValue(QStringLiteral("xDate"), QDate::currentDate());
        LogTable.setValue(QStringLiteral("xTime"), QTime::currentTime());
        LogTable.setValue(QStringLiteral("Message"), message);
        LogTable.post();
        LogTable.close();
    } catch (const DatabaseError& e) {
        // The log itself failed: there is nowhere left to record it but stderr.
        LogTable.close();
        QTextStream(stderr) << "Could not log \"" << message << "\": " << e.message() << Qt::endl;
    }
}

void TDM1::installErrorHandlers(Table& table, const QString& tableWord)
{
    auto handler = [this, tableWord](const char* operation) {
        const QString title =
            tableWord + QStringLiteral(" Table ") + QLatin1String(operation) + QStringLiteral(" Error");
        return [this, title](Dataset&, const DatabaseError& error) {
            LogDatabaseError(title, error.message());
            return Dataset::DataAction::Abort;
        };
    };
    table.onDeleteError = handler("Delete");
    table.onEditError = handler("Edit");
    table.onPostError = handler("Post");
}

QList<Dataset*> TDM1::datasets()
{
    return {&RankTable, &RankQuery,    &MergeTable,      &STTable,          &URLTable,     &SQLTeeTable,
            &LogTable,  &GridQuery,    &LogQuery,        &NotableTable,     &Q1,           &Q2,
            &HiLoTable, &NotableQuery, &SE3Table,        &DayGlanceQuery,   &GroupTable,   &EngineTable,
            &TempTable, &MixTable,     &PhraseTable,     &EngineQuery,      &SummaryTable, &Temp2Table,
            &SE3Query,  &CVSE3Table,   &ChartCacheTable, &ReportStyleTable, &TempQuery};
}

void TDM1::OpenDatabases()
{
    General.disconnect();
    General.setDirectory(Settings.DataFolder);
    SE3.setDirectory(Settings.DataFolder);
    General.connect();
    SE3.connect();
}

void TDM1::CloseDatasets()
{
    for (Dataset* dataset : datasets())
        dataset->close();
}

void TDM1::CloseDatabases()
{
    CloseDatasets();
    General.disconnect();
    SE3.disconnect();
}

int TDM1::ProgressBarWidth(int trackWidth, int percent)
{
    return static_cast<int>(trackWidth * percent * 0.01);
}

int TDM1::DayGlanceProgressBarWidth(int trackWidth, int percent, int queryIndex)
{
    const int quarter = trackWidth / 4;
    return static_cast<int>(quarter * percent * 0.01 + quarter * queryIndex);
}

} // namespace corvane
