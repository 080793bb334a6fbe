// Marker replacement inside the XML parts of word-processor documents, done
// on the XML text itself so everything but the changed texts stays byte for
// byte as the word processor wrote it.
//
// A marker may be spread over several runs (<w:r>, <text:span>); the runs'
// text is joined per paragraph to find it (letter_runs.h). Tabs and line
// breaks end a stretch of joined text, as a marker never spans them.
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
