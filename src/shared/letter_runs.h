// Marker replacement over a paragraph's text as a word processor stores it:
// in runs (pieces with their own formatting), so one marker may be spread
// over several runs. The runs' texts are joined to find markers; a marker
// is replaced in the run holding its first character (so the value takes
// that run's formatting) and its other characters are taken out of the
// runs that follow. Used for the XML of .docx/.odt and for RTF.
#pragma once

#include <vector>

#include <QString>

#include "shared/letter_values.h"

namespace vv::shared {

// A run's text and where it stands in the source document.
struct LetterRun {
    qsizetype start = 0;  // the run's source text is [start, end)
    qsizetype end = 0;
    QString text;         // decoded
    bool changed = false;
    // Format-specific: the XML tag holding the run ([tagStart, tagEnd)), or
    // whether RTF needs a space before new text to end a control word.
    qsizetype tagStart = -1;
    qsizetype tagEnd = -1;
    bool afterControlWord = false;
};

// Replaces every occurrence of each marker, in order, across the runs of one
// stretch of text; a value is not searched again for the same marker.
// Returns whether anything was replaced.
bool replaceMarkersAcrossRuns(std::vector<LetterRun>& runs, const LetterMarkers& markers);

}  // namespace vv::shared
