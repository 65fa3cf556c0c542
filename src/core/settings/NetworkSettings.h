#pragma once

#include "core/settings/Settings.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace corvane {

// The values the network settings window edits, as the texts it shows, and
// the one way they are written back: checked first, then every value in a
// fixed order through the given writer, each written text stored back into
// the settings record.
class NetworkSettings
{
public:
    // One edited value: where it is stored and how the window labels it.
    struct Field
    {
        const SettingDescriptor* descriptor;
        const char* tab;   // "HTTP", "FTP", "Proxy", "Misc"
        const char* label; // the window's label of the value
        int minimum;       // integers only
        int maximum;
    };

    // Opens the key without creating it, writes the value and returns the
    // text written (TDM1::WriteSetting in the program).
    using Writer = std::function<QString(const QString& key, const QString& name, const QString& text)>;

    // Every edited value in the order Set writes them: the HTTP, FTP, proxy
    // and API values of key Network, then HVRetryTimes, HVRetrySeconds and
    // Debug of Startup Settings, then DebugOutput of File Locations.
    static const QList<Field>& fields();
    static const Field* field(const QString& name);

    // The texts the window shows for the record: integers in decimal, flags
    // "true" or "false", the proxy password in plain text.
    static NetworkSettings fromRecord(const SettingsRecord& record);

    QString text(const QString& name) const { return m_texts.value(name.toLower()); }
    void setText(const QString& name, const QString& text) { m_texts.insert(name.toLower(), text); }
    void setFlag(const QString& name, bool flag) { setText(name, SettingText::fromFlag(flag)); }

    // One line per value that cannot be written, naming its tab and label:
    // an integer that is not a whole number or lies outside its range.
    QStringList problems() const;

    // When problems() is not empty, writes nothing and returns the problems.
    // Otherwise writes every value in order: the proxy password enciphered,
    // the debug folder with a trailing "/" (an empty folder stays empty),
    // integers re-written in plain decimal. The record receives each written
    // text, converted; for the proxy password it keeps the plain text.
    QStringList write(SettingsRecord& record, const Writer& writer) const;

    // The text written for a value; see write().
    QString storedText(const Field& field) const;

private:
    QHash<QString, QString> m_texts; // keyed by lower-cased value name
};

} // namespace corvane
