#include "core/livecheck/TextHistory.h"

#include <QSettings>

namespace corvane {

TextHistory::TextHistory(int capacity)
    : m_capacity(capacity)
{
}

void TextHistory::add(const QString& text)
{
    if (text.trimmed().isEmpty())
        return;
    m_entries.removeAll(text);
    m_entries.prepend(text);
    while (m_entries.size() > m_capacity)
        m_entries.removeLast();
}

void TextHistory::load(const QString& iniPath, const QString& section)
{
    QSettings ini(iniPath, QSettings::IniFormat);
    ini.beginGroup(section);
    m_entries.clear();
    for (int i = 0; i < m_capacity; ++i) {
        const QString text = ini.value(QStringLiteral("Item%1").arg(i)).toString();
        if (!text.trimmed().isEmpty() && !m_entries.contains(text))
            m_entries.append(text);
    }
}

void TextHistory::save(const QString& iniPath, const QString& section) const
{
    QSettings ini(iniPath, QSettings::IniFormat);
    ini.remove(section);
    ini.beginGroup(section);
    for (int i = 0; i < m_entries.size(); ++i)
        ini.setValue(QStringLiteral("Item%1").arg(i), m_entries.at(i));
    ini.endGroup();
    ini.sync();
}

} // namespace corvane
