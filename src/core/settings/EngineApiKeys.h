#pragma once

#include <QHash>
#include <QString>

namespace corvane {

class Registry;

// The keys of the engines that are asked through their programming interface
// (SE3's API flag), by engine name. Kept enciphered in Network's
// EngineAPIKeys (with the proxy password's key) and read by every tool that
// builds a request: a script value "APIKey" stands for the engine's key.
namespace EngineApiKeys {

QHash<QString, QString> load(const Registry& registry);
// Empty keys are left out. A missing Network key loses the write.
void save(Registry& registry, const QHash<QString, QString>& keys);

// The key of one engine from the default settings store; empty when none.
QString keyOf(const QString& engine);

} // namespace EngineApiKeys

} // namespace corvane
