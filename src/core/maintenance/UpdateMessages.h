#pragma once

#include <QList>
#include <QString>

namespace corvane {

// One news message of the update server's "MSG.REF".
struct UpdateMessage
{
    QString subject;
    QString content;
};

namespace UpdateMessages {

// "MSG.REF" is a text of lines: a line that reads exactly "[MSG]" opens a
// message, the next line is its subject and the line after that its content.
// Other lines are ignored. A message cut short by the end of the text keeps
// what it has.
QList<UpdateMessage> parse(const QString& text);

// Reads the file as UTF-8 (a file that is not valid UTF-8 as Latin-1).
// Throws std::runtime_error when it cannot be read.
QList<UpdateMessage> read(const QString& path);

} // namespace UpdateMessages
} // namespace corvane
