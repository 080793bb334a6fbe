// Filling letters: real .docx and .odt packages written here with libzip,
// plain text and RTF, the errors, and the opening seam.
#include <map>
#include <string>

#ifndef _WIN32
#include <unistd.h>
#endif

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QUrl>
#include <QXmlStreamReader>

#include <gtest/gtest.h>
#include <zip.h>

#include "shared/letter_filler.h"
#include "shared/letter_values.h"
#include "support/temp_dir.h"

namespace vv::shared {
namespace {

using Entries = std::vector<std::pair<std::string, std::string>>;

// A ZIP package with the entries in order; "mimetype" is stored, not compressed.
void writePackage(const QString& path, const Entries& entries) {
    int code = 0;
    zip_t* z = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    ASSERT_NE(z, nullptr);
    for (const auto& [name, data] : entries) {
        zip_source_t* src = zip_source_buffer(z, data.data(), data.size(), 0);
        const zip_int64_t index = zip_file_add(z, name.c_str(), src, ZIP_FL_ENC_UTF_8);
        ASSERT_GE(index, 0);
        if (name == "mimetype") zip_set_file_compression(z, zip_uint64_t(index), ZIP_CM_STORE, 0);
    }
    ASSERT_EQ(zip_close(z), 0);
}

struct PackageEntry {
    std::string name;
    std::string data;
    zip_uint16_t method = 0;
};

std::vector<PackageEntry> readPackage(const QString& path) {
    std::vector<PackageEntry> out;
    int code = 0;
    zip_t* z = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &code);
    if (!z) {
        ADD_FAILURE() << "not a ZIP: " << path.toStdString();
        return out;
    }
    for (zip_int64_t i = 0; i < zip_get_num_entries(z, 0); ++i) {
        zip_stat_t st;
        zip_stat_index(z, zip_uint64_t(i), 0, &st);
        PackageEntry e{st.name, std::string(st.size, '\0'), st.comp_method};
        zip_file_t* f = zip_fopen_index(z, zip_uint64_t(i), 0);
        zip_fread(f, e.data.data(), st.size);
        zip_fclose(f);
        out.push_back(std::move(e));
    }
    zip_discard(z);
    return out;
}

// The part's text, after checking that it is still well-formed XML.
std::string entry(const std::vector<PackageEntry>& entries, const std::string& name) {
    for (const PackageEntry& e : entries) {
        if (e.name != name) continue;
        QXmlStreamReader xml(QByteArray::fromStdString(e.data));
        while (!xml.atEnd()) xml.readNext();
        EXPECT_FALSE(xml.hasError()) << name << ": " << xml.errorString().toStdString();
        return e.data;
    }
    ADD_FAILURE() << name << " missing";
    return {};
}

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    return f.readAll();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

const char* const kWordNs = "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"";

Entries docxPackage() {
    const std::string document = std::string("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n") +
                                 "<w:document " + kWordNs + "><w:body>"
                                 "<w:p><w:r><w:t>&lt;&lt;DATE&gt;&gt;</w:t></w:r></w:p>"
                                 "<w:p><w:r><w:rPr><w:b/></w:rPr><w:t xml:space=\"preserve\">Dear &lt;&lt;CS</w:t></w:r>"
                                 "<w:r><w:t>AL&gt;&gt; &lt;&lt;CLAST&gt;&gt;,</w:t></w:r></w:p>"
                                 "<w:p><w:r><w:t>Your account &lt;&lt;FILECODE&gt;&gt; (&lt;&lt;FILECODE&gt;&gt;) at "
                                 "&lt;&lt;ACCTNAME&gt;&gt;</w:t></w:r></w:p>"
                                 "<w:sectPr/></w:body></w:document>";
    const std::string header = std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<w:hdr ") + kWordNs +
                               "><w:p><w:r><w:t>&lt;&lt;SALESID&gt;&gt;, &lt;&lt;SALESTITLE&gt;&gt;</w:t></w:r></w:p></w:hdr>";
    return {
        {"[Content_Types].xml",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Types "
         "xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
         "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
         "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
         "<Override PartName=\"/word/document.xml\" "
         "ContentType=\"application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml\"/>"
         "<Override PartName=\"/word/header1.xml\" "
         "ContentType=\"application/vnd.openxmlformats-officedocument.wordprocessingml.header+xml\"/></Types>"},
        {"_rels/.rels",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Relationships "
         "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\"><Relationship Id=\"rId1\" "
         "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" "
         "Target=\"word/document.xml\"/></Relationships>"},
        {"word/_rels/document.xml.rels",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Relationships "
         "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\"><Relationship Id=\"rId1\" "
         "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/header\" "
         "Target=\"header1.xml\"/></Relationships>"},
        {"word/document.xml", document},
        {"word/header1.xml", header},
    };
}

Entries odtPackage() {
    const std::string ns = "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
                           "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
                           "xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\" office:version=\"1.2\"";
    return {
        {"mimetype", "application/vnd.oasis.opendocument.text"},
        {"META-INF/manifest.xml",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?><manifest:manifest "
         "xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\" manifest:version=\"1.2\">"
         "<manifest:file-entry manifest:full-path=\"/\" manifest:media-type=\"application/vnd.oasis.opendocument.text\"/>"
         "<manifest:file-entry manifest:full-path=\"content.xml\" manifest:media-type=\"text/xml\"/>"
         "<manifest:file-entry manifest:full-path=\"styles.xml\" manifest:media-type=\"text/xml\"/>"
         "</manifest:manifest>"},
        {"content.xml",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?><office:document-content " + ns +
             "><office:body><office:text>"
             "<text:p text:style-name=\"P1\">Dear &lt;&lt;CS<text:span text:style-name=\"T1\">AL&gt;&gt;</text:span> "
             "&lt;&lt;CLAST&gt;&gt;,</text:p>"
             "<text:p>&lt;&lt;ADDR1&gt;&gt;</text:p>"
             "</office:text></office:body></office:document-content>"},
        {"styles.xml",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?><office:document-styles " + ns +
             "><office:master-styles><style:master-page style:name=\"Standard\"><style:header>"
             "<text:p>&lt;&lt;ACCTNAME&gt;&gt;</text:p></style:header></style:master-page></office:master-styles>"
             "</office:document-styles>"},
    };
}

LetterValues sampleValues() {
    LetterValues v;
    v.date = QDate(1999, 3, 5);
    v.fileCode = QStringLiteral("ACME      ");
    v.acctName = QStringLiteral("Acme & Sons <Ltd>");
    v.cSal = QStringLiteral("Mr.");
    v.cFirst = QStringLiteral("José");
    v.cLast = QStringLiteral("Smith");
    v.addr1 = QStringLiteral("1 Main St");
    v.salesName = QStringLiteral("Ann Lee");
    v.salesTitle = QStringLiteral("Director of Sales");
    return v;
}

class LetterFillerTest : public ::testing::Test {
protected:
    QString path(const char* name) const { return QString::fromStdString(dir_.file(name)); }
    QString work() const { return path("work"); }
    test::TempDir dir_;
};

TEST_F(LetterFillerTest, FillsADocxCopyLeavingTheTemplateAsItWas) {
    const QString templ = path("Welcome.docx");
    writePackage(templ, docxPackage());
    const QByteArray before = fileBytes(templ);

    const QString copy = fillLetter(templ, letterMarkers(sampleValues()), work());
    EXPECT_EQ(QFileInfo(copy).absolutePath(), QFileInfo(work()).absoluteFilePath());
    EXPECT_EQ(fileBytes(templ), before);

    const auto entries = readPackage(copy);
    const std::string doc = entry(entries, "word/document.xml");
    EXPECT_NE(doc.find("<w:t xml:space=\"preserve\">March 5, 1999</w:t>"), std::string::npos) << doc;
    // The salutation, split over a bold and a plain run, lands in the bold run.
    EXPECT_NE(doc.find("<w:b/></w:rPr><w:t xml:space=\"preserve\">Dear Mr.</w:t></w:r><w:r><w:t "
                       "xml:space=\"preserve\"> Smith,</w:t>"),
              std::string::npos)
        << doc;
    EXPECT_NE(doc.find("Your account ACME (ACME) at Acme &amp; Sons &lt;Ltd&gt;"), std::string::npos) << doc;
    EXPECT_EQ(doc.find("&lt;&lt;"), std::string::npos) << doc;
    EXPECT_NE(entry(entries, "word/header1.xml").find("Ann Lee, Director of Sales"), std::string::npos);
    // Parts without text come through unchanged.
    EXPECT_EQ(entry(entries, "_rels/.rels"), docxPackage()[1].second);
}

TEST_F(LetterFillerTest, FillsAnOdtCopyKeepingItsMimetypeFirstAndStored) {
    const QString templ = path("Thanks.ODT");
    writePackage(templ, odtPackage());
    const QByteArray before = fileBytes(templ);

    const QString copy = fillLetter(templ, letterMarkers(sampleValues()), work());
    EXPECT_EQ(fileBytes(templ), before);
    const auto entries = readPackage(copy);
    ASSERT_FALSE(entries.empty());
    EXPECT_EQ(entries[0].name, "mimetype");
    EXPECT_EQ(entries[0].method, ZIP_CM_STORE);
    const std::string content = entry(entries, "content.xml");
    EXPECT_NE(content.find("Dear Mr.<text:span text:style-name=\"T1\"></text:span> Smith,"), std::string::npos)
        << content;
    EXPECT_NE(content.find("<text:p>1 Main St</text:p>"), std::string::npos) << content;
    EXPECT_NE(entry(entries, "styles.xml").find("<text:p>Acme &amp; Sons &lt;Ltd&gt;</text:p>"), std::string::npos);
}

TEST_F(LetterFillerTest, PlainTextAndRtf) {
    const LetterMarkers markers = {{QStringLiteral("<<CFIRST>>"), QStringLiteral("José")},
                                   {QStringLiteral("<<CITY>>"), QStringLiteral("{Zürich}\\€\r\nNext")}};
    struct Case {
        const char* file;
        QByteArray input;
        QByteArray expected;
    };
    const Case cases[] = {
        {"utf8.txt", "Dear <<CFIRST>> and <<CFIRST>>\r\n", "Dear Jos\xC3\xA9 and Jos\xC3\xA9\r\n"},
        {"bom.txt", "\xEF\xBB\xBFHi <<CFIRST>>", "\xEF\xBB\xBFHi Jos\xC3\xA9"},
        {"latin1.TXT", "Caf\xE9 <<CFIRST>>", "Caf\xE9 Jos\xE9"},
        {"letter.rtf", "{\\rtf1\\ansi Dear <<CFIRST>>,\\par <<CITY>>\\par}",
         "{\\rtf1\\ansi Dear Jos\\'e9,\\par \\{Z\\'fcrich\\}\\\\\\u8364?\\par Next\\par}"},
    };
    for (const Case& c : cases) {
        const QString templ = path(c.file);
        writeFile(templ, c.input);
        const QString copy = fillLetter(templ, markers, work());
        EXPECT_EQ(fileBytes(copy).toStdString(), c.expected.toStdString()) << c.file;
        EXPECT_EQ(fileBytes(templ), c.input) << c.file;
    }
}

TEST_F(LetterFillerTest, EachFillMakesANewCopy) {
    const QString templ = path("Note.txt");
    writeFile(templ, "<<CFIRST>>");
    const QString first = fillLetter(templ, {{QStringLiteral("<<CFIRST>>"), QStringLiteral("A")}}, work());
    const QString second = fillLetter(templ, {{QStringLiteral("<<CFIRST>>"), QStringLiteral("B")}}, work());
    EXPECT_NE(first, second);
    EXPECT_EQ(fileBytes(first), "A");
    EXPECT_EQ(fileBytes(second), "B");
}

TEST_F(LetterFillerTest, ErrorsNameTheLetter) {
    writeFile(path("Report.pdf"), "%PDF-1.4");
    writeFile(path("Broken.docx"), "this is not a zip file");
    writePackage(path("Empty.odt"), {{"mimetype", "application/vnd.oasis.opendocument.text"}});
    struct Case {
        const char* file;
        const char* says;
    };
    const Case cases[] = {
        {"Missing.docx", "does not exist"},
        {"Report.pdf", "cannot be filled"},
        {"Broken.docx", "is damaged"},
        {"Empty.odt", "is damaged"},
    };
    for (const Case& c : cases) {
        try {
            fillLetter(path(c.file), {}, work());
            ADD_FAILURE() << c.file << ": no error";
        } catch (const LetterError& e) {
            const std::string message = e.what();
            EXPECT_NE(message.find(c.file), std::string::npos) << message;
            EXPECT_NE(message.find(c.says), std::string::npos) << message;
        }
    }
#ifndef _WIN32
    // Permissions bind everyone but the superuser.
    if (geteuid() != 0) {
        writeFile(path("Locked.txt"), "<<CSAL>>");
        QFile::setPermissions(path("Locked.txt"), QFileDevice::Permissions());
        EXPECT_THROW(fillLetter(path("Locked.txt"), {}, work()), LetterError);
    }
#endif
    // A failed fill leaves no half-written copy behind.
    EXPECT_TRUE(QDir(work()).entryList(QDir::Files).isEmpty()) << QDir(work()).entryList().join(u' ').toStdString();
}

TEST_F(LetterFillerTest, AnOldWordDocumentNeedsLibreOffice) {
    if (!QStandardPaths::findExecutable(QStringLiteral("soffice")).isEmpty() ||
        !QStandardPaths::findExecutable(QStringLiteral("libreoffice")).isEmpty())
        GTEST_SKIP() << "LibreOffice is installed here";
    writeFile(path("Old.doc"), QByteArray("\xD0\xCF\x11\xE0", 4));
    try {
        fillLetter(path("Old.doc"), {}, work());
        FAIL() << "no error";
    } catch (const LetterError& e) {
        EXPECT_NE(std::string(e.what()).find("LibreOffice"), std::string::npos) << e.what();
    }
}

TEST(LetterOpenTest, OpensThroughTheSeamAndReportsARefusal) {
    std::vector<QUrl> opened;
    bool accept = true;
    const DocumentOpener previous = setDocumentOpener([&](const QUrl& url) {
        opened.push_back(url);
        return accept;
    });
    openDocument(QStringLiteral("/tmp/letters/Welcome.docx"));
    accept = false;
    EXPECT_THROW(openDocument(QStringLiteral("/tmp/letters/Other.docx")), LetterError);
    setDocumentOpener(previous);
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0], QUrl::fromLocalFile(QStringLiteral("/tmp/letters/Welcome.docx")));
}

TEST(LetterValuesTest, MarkersInOrderWithTrimmedValues) {
    const LetterMarkers markers = letterMarkers(sampleValues());
    QStringList names;
    for (const auto& m : markers) names << m.first;
    EXPECT_EQ(names.join(u' '),
              QStringLiteral("<<DATE>> <<FILECODE>> <<ACCTNAME>> <<CSAL>> <<CFIRST>> <<CLAST>> <<CPHONE>> <<CEXT>> "
                             "<<CFAX>> <<CTITLE>> <<ADDR1>> <<ADDR2>> <<CITY>> <<STATE>> <<ZIP>> <<EMAIL>> "
                             "<<SALESID>> <<SALESTITLE>>"));
    EXPECT_EQ(markers[1].second, QStringLiteral("ACME"));
    EXPECT_EQ(markers[16].second, QStringLiteral("Ann Lee"));
}

TEST(LetterValuesTest, AddressBlocks) {
    struct Case {
        const char* name;
        const char* sal;
        const char* addr2;
        const char* expected;
    };
    const Case cases[] = {
        {"full", "Ms.", "Suite 4", "Ms. Jane Doe\r\nAcme\r\n1 Main St\r\nSuite 4\r\nBoston, MA  02110\r\n\r\nDear Ms. Doe:\r\n\r\n"},
        {"no second line, no salutation", "", "  ",
         "Jane Doe\r\nAcme\r\n1 Main St\r\nBoston, MA  02110\r\n\r\nDear  Doe:\r\n\r\n"},
    };
    for (const Case& c : cases) {
        LetterValues v;
        v.cSal = QString::fromUtf8(c.sal);
        v.cFirst = QStringLiteral("Jane  ");
        v.cLast = QStringLiteral("Doe");
        v.acctName = QStringLiteral("Acme");
        v.addr1 = QStringLiteral("1 Main St");
        v.addr2 = QString::fromUtf8(c.addr2);
        v.city = QStringLiteral("Boston");
        v.state = QStringLiteral("MA");
        v.zip = QStringLiteral("02110");
        EXPECT_EQ(addressBlock(v).toStdString(), c.expected) << c.name;
    }
    if (QLocale::system().language() == QLocale::English || QLocale::system().language() == QLocale::C) {
        EXPECT_EQ(letterHeading(QDate(1999, 3, 5)), QStringLiteral("March 5, 1999\r\n\r\n\r\n"));
    }
}

}  // namespace
}  // namespace vv::shared
