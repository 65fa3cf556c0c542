#include "core/maintenance/UpdateMessages.h"

#include <QFile>
#include <QStringConverter>
#include <QStringList>

#include <stdexcept>

namespace corvane::UpdateMessages {

QList<UpdateMessage> parse(const QString& text)
{
    QString normal = text;
    normal.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    normal.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    const QStringList lines = normal.split(QLatin1Char('\n'));
    QList<UpdateMessage> messages;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines.at(i) != QLatin1String("[MSG]"))
            continue;
        UpdateMessage message;
        if (i + 1 < lines.size())
            message.subject = lines.at(i + 1);
        if (i + 2 < lines.size())
            message.content = lines.at(i + 2);
        messages << message;
        i += 2;
    }
    return messages;
}

QList<UpdateMessage> read(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error(
            QStringLiteral("Cannot read \"%1\": %2").arg(path, file.errorString()).toStdString());
    const QByteArray bytes = file.readAll();
    auto decoder = QStringDecoder(QStringDecoder::Utf8);
    QString text = decoder(bytes);
    if (decoder.hasError())
        text = QString::fromLatin1(bytes);
    return parse(text);
}

} // namespace corvane::UpdateMessages
