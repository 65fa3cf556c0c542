#include "core/settings/EngineApiKeys.h"

#include "core/platform/Registry.h"
#include "core/platform/TextCipher.h"
#include "core/settings/Settings.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace corvane::EngineApiKeys {

QHash<QString, QString> load(const Registry& registry)
{
    const QString stored = RegistryKey(registry, SettingsKeys::path(QLatin1String(SettingsKeys::Network)))
                               .readString(QStringLiteral("EngineAPIKeys"));
    QHash<QString, QString> keys;
    if (stored.isEmpty())
        return keys;
    const QJsonObject object =
        QJsonDocument::fromJson(TextCipher::decipher(stored, TextCipher::ProxyPasswordKey).toUtf8()).object();
    for (auto it = object.begin(); it != object.end(); ++it)
        if (it.value().isString() && !it.value().toString().isEmpty())
            keys.insert(it.key(), it.value().toString());
    return keys;
}

void save(Registry& registry, const QHash<QString, QString>& keys)
{
    QJsonObject object;
    for (auto it = keys.begin(); it != keys.end(); ++it)
        if (!it.value().trimmed().isEmpty())
            object.insert(it.key(), it.value().trimmed());
    const QString json = QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
    writeSetting(registry, QLatin1String(SettingsKeys::Network), QStringLiteral("EngineAPIKeys"),
                 TextCipher::encipher(json, TextCipher::ProxyPasswordKey));
}

QString keyOf(const QString& engine) { return load(Registry()).value(engine); }

} // namespace corvane::EngineApiKeys
