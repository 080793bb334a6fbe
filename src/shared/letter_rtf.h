// Marker replacement in RTF letters. The file is read as Latin-1 characters
// (RTF is 7-bit text with escapes). Word splits a paragraph's text into
// groups and control words wherever formatting or editing history change,
// and breaks long lines of the file anywhere, so markers are looked for in
// the text the reader sees (letter_runs.h), not in the raw file. Font,
// colour, style and other hidden tables are not searched.
#pragma once

#include <QString>

#include "shared/letter_values.h"

namespace vv::shared {

// `rtf` with every marker replaced, in order, by its value (escaped).
QString replaceMarkersInRtf(const QString& rtf, const LetterMarkers& markers, bool* changed = nullptr);

// A value as RTF text: \ { } escaped, line breaks as \par, tabs as \tab,
// Latin-1 letters as \'xx and anything beyond as \uN with '?' for readers
// without Unicode.
QString rtfEscaped(const QString& value);

}  // namespace vv::shared
