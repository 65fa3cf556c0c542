#include "core/platform/TabFields.h"

namespace corvane::TabFields {

QString field(const QString& text)
{
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'\\': escaped += QLatin1String("\\\\"); break;
        case u'\t': escaped += QLatin1String("\\t"); break;
        case u'\n': escaped += QLatin1String("\\n"); break;
        case u'\r': escaped += QLatin1String("\\r"); break;
        default: escaped += c;
        }
    }
    return escaped;
}

} // namespace corvane::TabFields
