#pragma once

#include <QString>

class QAbstractItemView;
class QComboBox;

namespace corvane {

// Project, URL, term and engine names may hold line breaks and tabs, which a
// combo box or list would draw on two lines, cut off. A combo box or list
// given to apply() draws every item on one line: a line break as "⏎" and a
// tab as a blank. Only the drawing changes: the items keep the names as
// stored, so currentText(), findText() and the items' texts still give the
// whole name.
class OneLineNames
{
public:
    // The name as such a widget draws it.
    static QString text(const QString& name);

    // Draws the combo box's shown item and its list on one line each.
    static void apply(QComboBox& combo);
    // Draws the list's items on one line each.
    static void apply(QAbstractItemView& view);
};

} // namespace corvane
