#include "core/maintenance/HintTips.h"

namespace corvane {

HintTips::HintTips(const QString& dataFolder)
    : m_database(QStringLiteral("HintDB"), nullptr) // the default session
    , m_table(&m_database, QStringLiteral("Hint"), QStringLiteral("Seqidx"))
{
    m_database.setDirectory(dataFolder);
}

void HintTips::open()
{
    m_database.connect();
    m_table.open();
}

void HintTips::close()
{
    m_table.close();
    m_database.disconnect();
}

void HintTips::showAfter(int lastShown)
{
    if (!hasTip())
        return;
    if (lastShown != Disabled && m_table.findKey({lastShown}) && m_table.recNo() < count())
        m_table.next();
    else
        m_table.first();
}

void HintTips::next()
{
    if (!hasTip())
        return;
    if (m_table.recNo() < count())
        m_table.next();
    else
        m_table.first();
}

void HintTips::prior()
{
    if (!hasTip())
        return;
    if (m_table.recNo() > 1)
        m_table.prior();
    else
        m_table.last();
}

int HintTips::sequence() const { return hasTip() ? m_table.asInteger(QStringLiteral("Sequence")) : 0; }

QString HintTips::caption() const
{
    return hasTip() ? m_table.asString(QStringLiteral("Caption")) : QString();
}

QString HintTips::text() const { return hasTip() ? m_table.asString(QStringLiteral("Hint")) : QString(); }

std::optional<int> HintTips::valueToStore(bool disabled) const
{
    if (disabled)
        return Disabled;
    if (hasTip())
        return sequence();
    return std::nullopt;
}

} // namespace corvane
