// Marker replacement inside the XML parts of word-processor documents, done
// on the XML text itself so everything but the changed texts stays byte for
// byte as the word processor wrote it.
//
// A word processor splits a paragraph's text into runs wherever formatting,
// spelling marks or editing history change, so "<<FILECODE>>" may be stored
// as "<<FILE" in one run and "CODE>>" in the next. The text of a paragraph's
// runs is therefore joined before markers are looked for; a marker found
// across runs is replaced in the run holding its first character (which
// gives the value that run's formatting) and its remaining characters are
// taken out of the following runs. Tabs and line breaks end a stretch of
// joined text, as a marker never spans them.
#pragma once

#include <QString>

#include "shared/letter_values.h"

namespace vv::shared {

enum class LetterXmlDialect {
    WordProcessingMl,  // .docx: text in <w:t> inside <w:p>
    OpenDocument,      // .odt: character data inside <text:p> and <text:h>
};

// `xml` with every marker replaced, in the order given, by its value
// (XML-escaped). `changed` tells whether anything was replaced.
QString replaceMarkersInXml(const QString& xml, LetterXmlDialect dialect, const LetterMarkers& markers,
                            bool* changed = nullptr);

}  // namespace vv::shared
