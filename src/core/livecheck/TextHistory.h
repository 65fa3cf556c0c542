#pragma once

#include <QString>
#include <QStringList>

namespace corvane {

// The recent entries of an editable combo box, newest first, without
// repeats, at most `capacity` of them; kept in a FORM.INI section as the
// values Item0, Item1, ...
class TextHistory
{
public:
    explicit TextHistory(int capacity = 15);

    const QStringList& entries() const { return m_entries; }
    int capacity() const { return m_capacity; }

    // Puts the text first (moving it there when it is already listed) and
    // drops the oldest entries beyond the capacity. Blank texts are ignored.
    void add(const QString& text);

    void load(const QString& iniPath, const QString& section);
    void save(const QString& iniPath, const QString& section) const;

private:
    int m_capacity;
    QStringList m_entries;
};

} // namespace corvane
