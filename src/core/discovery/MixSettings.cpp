#include "core/discovery/MixSettings.h"

#include "core/platform/Registry.h"
#include "core/settings/Settings.h"

#include <QFile>
#include <QSaveFile>

#include <algorithm>

namespace corvane {

namespace {

QString tagmintKey() { return SettingsKeys::path(QLatin1String(SettingsKeys::Tagmint)); }

} // namespace

MixSettings MixSettings::load(const Registry& registry)
{
    MixSettings s;
    const RegistryKey key(registry, tagmintKey());
    if (!key.isOpen())
        return s;
    s.BadLinks = SettingText::toFlag(key.readString(QStringLiteral("BadLinks")));
    if (const auto v = SettingText::toInteger(key.readString(QStringLiteral("MinDens"))))
        s.MinDens = std::clamp(*v, MinDensLow, MinDensHigh);
    if (const auto v = SettingText::toInteger(key.readString(QStringLiteral("PassSize"))))
        s.PassSize = std::clamp(*v, PassSizeLow, PassSizeHigh);
    return s;
}

bool MixSettings::save(Registry& registry) const
{
    const QString key = tagmintKey();
    return registry.writeString(key, QStringLiteral("BadLinks"), SettingText::fromFlag(BadLinks))
        && registry.writeString(key, QStringLiteral("MinDens"), SettingText::fromInteger(MinDens))
        && registry.writeString(key, QStringLiteral("PassSize"), SettingText::fromInteger(PassSize));
}

namespace TermFilters {

QString filePath(const QString& dataFolder) { return dataFolder + QStringLiteral("STFilter.txt"); }

QStringList load(const QString& dataFolder)
{
    QFile file(filePath(dataFolder));
    QStringList words;
    if (!file.open(QIODevice::ReadOnly))
        return words;
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QString word = QString::fromUtf8(line).trimmed();
        if (!word.isEmpty())
            words << word;
    }
    return words;
}

bool save(const QString& dataFolder, const QStringList& words, QString* error)
{
    QSaveFile file(filePath(dataFolder));
    if (file.open(QIODevice::WriteOnly)) {
        for (const QString& word : words)
            file.write(word.toUtf8() + '\n');
        if (file.commit())
            return true;
    }
    if (error)
        *error = QStringLiteral("Cannot write %1: %2").arg(file.fileName(), file.errorString());
    return false;
}

QString wordFault(const QString& text)
{
    const QString word = text.trimmed();
    if (word.isEmpty() || word.contains(u' ') || word.contains(u'\t'))
        return QStringLiteral("You may only use one word.");
    return {};
}

} // namespace TermFilters

} // namespace corvane
