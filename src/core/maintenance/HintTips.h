#pragma once

#include "core/data/Dataset.h"
#include "core/data/TableDatabase.h"

#include <QString>

#include <optional>

namespace corvane {

// The usage tips of table Hint, one at a time in the order of its index
// Seqidx, read through the database "HintDB" of the default session. Which
// tip comes first depends on the one shown last time (Startup Settings,
// value Hints): the tip after it, or the first tip.
class HintTips
{
public:
    // The stored number that means tips are switched off.
    static constexpr int Disabled = -1;

    explicit HintTips(const QString& dataFolder);

    // Opens the table. Throws DatabaseError naming what is missing.
    void open();
    void close();
    bool isOpen() const { return m_table.isOpen(); }

    int count() const { return m_table.recordCount(); }
    bool isEmpty() const { return count() == 0; }

    // Stands on the tip that follows the one numbered lastShown; on the first
    // tip when that was the last one, when no tip has that number, or when
    // tips are switched off.
    void showAfter(int lastShown);
    // The next tip, from the last back to the first.
    void next();
    // The previous tip, from the first round to the last.
    void prior();

    // The tip on screen; empty values while the table is empty or closed.
    int sequence() const;
    QString caption() const;
    QString text() const;

    // What Hints holds after the window closes: Disabled when the user
    // switched tips off, else the number of the tip on screen; nothing (keep
    // the stored value) when there was no tip to show.
    std::optional<int> valueToStore(bool disabled) const;

private:
    bool hasTip() const { return isOpen() && !isEmpty(); }

    Database m_database;
    Table m_table;
};

} // namespace corvane
