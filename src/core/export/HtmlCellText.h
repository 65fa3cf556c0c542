#pragma once

#include <QString>

namespace corvane {

// Reading the small HTML fragments that grid cells hold (anchors, comments,
// plain text).
namespace HtmlCellText {

// The text a reader sees: comments and tags removed, entities decoded.
QString visibleText(const QString& html);

// The address of the first anchor (its href value, entities decoded); the
// visible text when the fragment holds no anchor.
QString linkAddress(const QString& html);

// Decodes &lt; &gt; &amp; &quot; &#39; &apos; &nbsp; and numeric references.
QString decodeEntities(const QString& text);

} // namespace HtmlCellText
} // namespace corvane
