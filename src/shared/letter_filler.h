// Fills a letter document's markers into a copy and opens the copy in the
// desktop's word processor. The template in the letters folder is never
// changed; each fill makes a new file in the working folder, so a letter
// the user still has open is never overwritten or closed.
//
// Formats: .txt (UTF-8, or Latin-1 when not valid UTF-8), .rtf, .docx and
// .odt (body, headers and footers), .doc (converted to .docx with LibreOffice
// first, when installed). In the word-processor formats a marker split over
// differently formatted runs is still found and takes the formatting of its
// first character (letter_runs.h); values are escaped as each format needs.
//
//   try {
//       QString copy = fillLetter(path, letterMarkers(values), letterWorkFolder());
//       openDocument(copy);
//   } catch (const LetterError& e) { showError(this, e, "Letters"); }
#pragma once

#include <functional>
#include <stdexcept>

#include <QString>
#include <QUrl>

#include "shared/letter_values.h"

namespace vv::shared {

// A letter that cannot be filled or opened; the message names the file.
class LetterError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Where filled letters go: "Vek Voro Letters" in the system's temporary
// folder, created when missing.
QString letterWorkFolder();

// Replaces every occurrence of each marker, in the order given, in a copy of
// `templatePath` written into `workFolder` (created when missing) and
// returns the copy's path. Throws LetterError for a missing or unreadable
// template, an unknown extension, a damaged document or a .doc without
// LibreOffice.
QString fillLetter(const QString& templatePath, const LetterMarkers& markers, const QString& workFolder);

// Opens a file with the desktop's default application. Throws LetterError
// when no application takes it.
void openDocument(const QString& path);

// The seam openDocument goes through: the default asks QDesktopServices.
// Tests put in one that records the URL. Returns the previous opener.
using DocumentOpener = std::function<bool(const QUrl&)>;
DocumentOpener setDocumentOpener(DocumentOpener opener);

}  // namespace vv::shared
