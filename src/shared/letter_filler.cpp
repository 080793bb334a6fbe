#include "shared/letter_filler.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QTemporaryDir>

#include <zip.h>

#include "shared/letter_rtf.h"
#include "shared/letter_xml.h"

namespace vv::shared {

namespace {

[[noreturn]] void fail(const QString& message) {
    throw LetterError(message.toStdString());
}

QString shown(const QString& path) {
    return QDir::toNativeSeparators(path);
}

DocumentOpener& opener() {
    static DocumentOpener current = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    return current;
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        fail(QStringLiteral("The letter document %1 cannot be read: %2").arg(shown(path), file.errorString()));
    return file.readAll();
}

void writeAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size() ||
        !file.flush())
        fail(QStringLiteral("The filled letter %1 cannot be written: %2").arg(shown(path), file.errorString()));
}

// A name in `folder` that no earlier letter has taken: "Welcome.docx",
// then "Welcome-2.docx" and so on, so a copy still open is never touched.
QString freshCopyPath(const QString& folder, const QString& baseName, const QString& suffix) {
    const QDir dir(folder);
    QString path = dir.filePath(baseName + u'.' + suffix);
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = dir.filePath(QStringLiteral("%1-%2.%3").arg(baseName).arg(n).arg(suffix));
    return path;
}

QString replacedText(QString text, const LetterMarkers& markers) {
    for (const auto& [marker, value] : markers)
        if (!marker.isEmpty()) text.replace(marker, value);
    return text;
}

// Plain text keeps its encoding: UTF-8 (with its byte order mark, if it had
// one) or, when the bytes are not UTF-8, Latin-1 as old Windows files are.
QByteArray filledPlainText(const QByteArray& bytes, const LetterMarkers& markers) {
    static const QByteArray kBom("\xEF\xBB\xBF");
    const bool bom = bytes.startsWith(kBom);
    const QByteArray body = bom ? bytes.mid(kBom.size()) : bytes;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString asUtf8 = utf8(body);
    if (!utf8.hasError()) return (bom ? kBom : QByteArray()) + replacedText(asUtf8, markers).toUtf8();
    return replacedText(QString::fromLatin1(body), markers).toLatin1();
}

QByteArray filledRtf(const QByteArray& bytes, const LetterMarkers& markers) {
    return replaceMarkersInRtf(QString::fromLatin1(bytes), markers).toLatin1();
}

// The XML parts of a package that hold the letter's text.
bool isTextPart(const QString& name, LetterXmlDialect dialect) {
    if (dialect == LetterXmlDialect::OpenDocument)
        return name == u"content.xml" || name == u"styles.xml";
    static const QRegularExpression kWordParts(
        QStringLiteral("^word/(document|header\\d*|footer\\d*|footnotes|endnotes)\\.xml$"));
    return kWordParts.match(name).hasMatch();
}

struct ZipCloser {
    void operator()(zip_t* z) const { zip_discard(z); }
};

QString zipMessage(zip_t* z) {
    return QString::fromUtf8(zip_strerror(z));
}

// Rewrites the text parts of the package at `path` (a fresh copy) in place.
void fillPackage(const QString& path, const QString& templatePath, LetterXmlDialect dialect,
                 const LetterMarkers& markers) {
    int code = 0;
    const QByteArray nativePath = QFile::encodeName(path);
    std::unique_ptr<zip_t, ZipCloser> archive(zip_open(nativePath.constData(), 0, &code));
    if (!archive) {
        zip_error_t error;
        zip_error_init_with_code(&error, code);
        const QString why = QString::fromUtf8(zip_error_strerror(&error));
        zip_error_fini(&error);
        fail(QStringLiteral("The letter document %1 is damaged: %2").arg(shown(templatePath), why));
    }
    const zip_int64_t count = zip_get_num_entries(archive.get(), 0);
    bool foundText = false;
    for (zip_int64_t i = 0; i < count; ++i) {
        const char* rawName = zip_get_name(archive.get(), zip_uint64_t(i), ZIP_FL_ENC_GUESS);
        if (!rawName) continue;
        const QString name = QString::fromUtf8(rawName);
        if (!isTextPart(name, dialect)) continue;
        foundText = true;
        zip_stat_t stat;
        zip_stat_init(&stat);
        if (zip_stat_index(archive.get(), zip_uint64_t(i), 0, &stat) != 0 || !(stat.valid & ZIP_STAT_SIZE))
            fail(QStringLiteral("The letter document %1 is damaged: %2").arg(shown(templatePath), zipMessage(archive.get())));
        QByteArray bytes(qsizetype(stat.size), Qt::Uninitialized);
        zip_file_t* part = zip_fopen_index(archive.get(), zip_uint64_t(i), 0);
        const zip_int64_t got = part ? zip_fread(part, bytes.data(), stat.size) : -1;
        if (part) zip_fclose(part);
        if (got != zip_int64_t(stat.size))
            fail(QStringLiteral("The letter document %1 is damaged: %2 cannot be read").arg(shown(templatePath), name));

        bool changed = false;
        const QByteArray filled =
            replaceMarkersInXml(QString::fromUtf8(bytes), dialect, markers, &changed).toUtf8();
        if (!changed) continue;
        // libzip frees the buffer with free() once the archive is written.
        void* buffer = std::malloc(std::size_t(filled.size()));
        if (!buffer) fail(QStringLiteral("Out of memory while filling %1").arg(shown(templatePath)));
        std::memcpy(buffer, filled.constData(), std::size_t(filled.size()));
        zip_source_t* source = zip_source_buffer(archive.get(), buffer, zip_uint64_t(filled.size()), 1);
        if (!source) {
            std::free(buffer);
            fail(QStringLiteral("The filled letter %1 cannot be written: %2").arg(shown(path), zipMessage(archive.get())));
        }
        if (zip_file_replace(archive.get(), zip_uint64_t(i), source, ZIP_FL_ENC_UTF_8) != 0) {
            zip_source_free(source);
            fail(QStringLiteral("The filled letter %1 cannot be written: %2").arg(shown(path), zipMessage(archive.get())));
        }
    }
    if (!foundText)
        fail(QStringLiteral("The letter document %1 is damaged: it holds no document text").arg(shown(templatePath)));
    if (zip_close(archive.get()) != 0)
        fail(QStringLiteral("The filled letter %1 cannot be written: %2").arg(shown(path), zipMessage(archive.get())));
    archive.release();  // closed and freed by zip_close
}

QString libreOffice() {
    for (const char* name : {"soffice", "libreoffice"}) {
        const QString found = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (!found.isEmpty()) return found;
    }
    return {};
}

// Converts an old Word .doc into .docx in `folder`; returns the new file.
// A profile of its own keeps the conversion apart from a LibreOffice the
// user has open.
QString convertDocToDocx(const QString& templatePath, const QString& folder) {
    const QString program = libreOffice();
    if (program.isEmpty())
        fail(QStringLiteral("The letter %1 is an old Word document (.doc). Install LibreOffice to fill it, "
                            "or save it as .docx.")
                 .arg(shown(templatePath)));
    QTemporaryDir profile;
    QProcess process;
    process.start(program, {QStringLiteral("-env:UserInstallation=") + QUrl::fromLocalFile(profile.path()).toString(),
                            QStringLiteral("--headless"), QStringLiteral("--convert-to"), QStringLiteral("docx"),
                            QStringLiteral("--outdir"), folder, templatePath});
    const bool finished = process.waitForFinished(120000);
    const QString converted = QDir(folder).filePath(QFileInfo(templatePath).completeBaseName() + QStringLiteral(".docx"));
    if (!finished || process.exitCode() != 0 || !QFileInfo::exists(converted)) {
        if (!finished) process.kill();
        fail(QStringLiteral("LibreOffice could not convert the letter %1 to .docx.").arg(shown(templatePath)));
    }
    return converted;
}

}  // namespace

QString letterWorkFolder() {
    const QString folder = QDir::temp().filePath(QStringLiteral("Vek Voro Letters"));
    QDir().mkpath(folder);
    return folder;
}

QString fillLetter(const QString& templatePath, const LetterMarkers& markers, const QString& workFolder) {
    const QFileInfo info(templatePath);
    if (!info.exists()) fail(QStringLiteral("The letter document %1 does not exist.").arg(shown(templatePath)));
    if (!info.isFile()) fail(QStringLiteral("The letter document %1 is not a file.").arg(shown(templatePath)));
    if (!QDir().mkpath(workFolder))
        fail(QStringLiteral("The folder for filled letters %1 cannot be made.").arg(shown(workFolder)));

    const QString suffix = info.suffix().toLower();
    const QString baseName = info.completeBaseName();
    if (suffix == u"txt" || suffix == u"rtf") {
        const QByteArray bytes = readAll(templatePath);
        const QString copy = freshCopyPath(workFolder, baseName, suffix);
        writeAll(copy, suffix == u"txt" ? filledPlainText(bytes, markers) : filledRtf(bytes, markers));
        return copy;
    }
    if (suffix == u"docx" || suffix == u"odt" || suffix == u"doc") {
        std::optional<QTemporaryDir> conversion;
        QString source = templatePath;
        QString copySuffix = suffix;
        if (suffix == u"doc") {
            conversion.emplace(QDir(workFolder).filePath(QStringLiteral("convert-XXXXXX")));
            source = convertDocToDocx(templatePath, conversion->path());
            copySuffix = QStringLiteral("docx");
        } else {
            readAll(templatePath);  // an unreadable template is reported as such, not as damaged
        }
        const QString copy = freshCopyPath(workFolder, baseName, copySuffix);
        if (!QFile::copy(source, copy))
            fail(QStringLiteral("The filled letter %1 cannot be written.").arg(shown(copy)));
        // A read-only template gives a read-only copy; the copy is ours to change.
        QFile::setPermissions(copy, QFile::permissions(copy) | QFile::WriteOwner | QFile::ReadOwner);
        try {
            fillPackage(copy, templatePath,
                        copySuffix == u"odt" ? LetterXmlDialect::OpenDocument : LetterXmlDialect::WordProcessingMl,
                        markers);
        } catch (...) {
            QFile::remove(copy);
            throw;
        }
        return copy;
    }
    fail(QStringLiteral("The letter document %1 cannot be filled: only .docx, .odt, .doc, .rtf and .txt letters "
                        "are supported.")
             .arg(shown(templatePath)));
}

void openDocument(const QString& path) {
    if (!opener()(QUrl::fromLocalFile(path)))
        fail(QStringLiteral("No program could be started to open %1.").arg(shown(path)));
}

DocumentOpener setDocumentOpener(DocumentOpener next) {
    DocumentOpener previous = std::move(opener());
    opener() = std::move(next);
    return previous;
}

}  // namespace vv::shared
