// Marker replacement in the XML of .docx and .odt letters, case by case.
#include <gtest/gtest.h>

#include "shared/letter_xml.h"

namespace vv::shared {
namespace {

const LetterMarkers kMarkers = {
    {QStringLiteral("<<DATE>>"), QStringLiteral("March 5, 1999")},
    {QStringLiteral("<<CSAL>>"), QStringLiteral("Mr.")},
    {QStringLiteral("<<CLAST>>"), QStringLiteral("O'Neil & <Sons>")},
    {QStringLiteral("<<CITY>>"), QString()},
};

struct XmlCase {
    const char* name;
    LetterXmlDialect dialect;
    const char* input;
    const char* expected;
};

TEST(LetterXmlTest, ReplacesMarkersInRunsAndSpans) {
    using enum LetterXmlDialect;
    const XmlCase cases[] = {
        {"marker in one run", WordProcessingMl, "<w:p><w:r><w:t>On &lt;&lt;DATE&gt;&gt;.</w:t></w:r></w:p>",
         "<w:p><w:r><w:t xml:space=\"preserve\">On March 5, 1999.</w:t></w:r></w:p>"},
        {"split across two runs keeps the first run's formatting", WordProcessingMl,
         "<w:p><w:r><w:rPr><w:b/></w:rPr><w:t>Dear &lt;&lt;CS</w:t></w:r><w:proofErr w:type=\"spellStart\"/>"
         "<w:r><w:t xml:space=\"preserve\">AL&gt;&gt; x</w:t></w:r></w:p>",
         "<w:p><w:r><w:rPr><w:b/></w:rPr><w:t xml:space=\"preserve\">Dear Mr.</w:t></w:r><w:proofErr w:type=\"spellStart\"/>"
         "<w:r><w:t xml:space=\"preserve\"> x</w:t></w:r></w:p>"},
        {"split over three runs, the middle one emptied", WordProcessingMl,
         "<w:p><w:r><w:t>&lt;&lt;</w:t></w:r><w:r><w:t>CSAL</w:t></w:r><w:r><w:t>&gt;&gt;</w:t></w:r></w:p>",
         "<w:p><w:r><w:t xml:space=\"preserve\">Mr.</w:t></w:r><w:r><w:t xml:space=\"preserve\"></w:t></w:r>"
         "<w:r><w:t xml:space=\"preserve\"></w:t></w:r></w:p>"},
        {"every occurrence, value escaped", WordProcessingMl,
         "<w:p><w:r><w:t>&lt;&lt;CLAST&gt;&gt;/&lt;&lt;CLAST&gt;&gt;</w:t></w:r></w:p>",
         "<w:p><w:r><w:t xml:space=\"preserve\">O'Neil &amp; &lt;Sons&gt;/O'Neil &amp; &lt;Sons&gt;</w:t></w:r></w:p>"},
        {"an empty value removes the marker", WordProcessingMl,
         "<w:p><w:r><w:t>in &lt;&lt;CITY&gt;&gt;!</w:t></w:r></w:p>",
         "<w:p><w:r><w:t xml:space=\"preserve\">in !</w:t></w:r></w:p>"},
        {"no marker across a tab or between paragraphs", WordProcessingMl,
         "<w:p><w:r><w:t>&lt;&lt;CS</w:t><w:tab/><w:t>AL&gt;&gt;</w:t></w:r></w:p><w:p><w:r><w:t>&lt;&lt;CS</w:t></w:r></w:p>"
         "<w:p><w:r><w:t>AL&gt;&gt;</w:t></w:r></w:p>",
         "<w:p><w:r><w:t>&lt;&lt;CS</w:t><w:tab/><w:t>AL&gt;&gt;</w:t></w:r></w:p><w:p><w:r><w:t>&lt;&lt;CS</w:t></w:r></w:p>"
         "<w:p><w:r><w:t>AL&gt;&gt;</w:t></w:r></w:p>"},
        {"field codes, tables and attributes with '>' are left alone", WordProcessingMl,
         "<w:p w:x=\"a>b\"><w:r><w:instrText>&lt;&lt;CSAL&gt;&gt;</w:instrText></w:r><w:tbl/>"
         "<w:r><w:t>&lt;&lt;CSAL&gt;&gt;</w:t></w:r></w:p>",
         "<w:p w:x=\"a>b\"><w:r><w:instrText>&lt;&lt;CSAL&gt;&gt;</w:instrText></w:r><w:tbl/>"
         "<w:r><w:t xml:space=\"preserve\">Mr.</w:t></w:r></w:p>"},
        {"odt marker split by a span", OpenDocument,
         "<text:p text:style-name=\"P1\">Dear &lt;&lt;CS<text:span text:style-name=\"T1\">AL&gt;&gt;</text:span>"
         "<text:s/>&lt;&lt;CLAST&gt;&gt;</text:p>",
         "<text:p text:style-name=\"P1\">Dear Mr.<text:span text:style-name=\"T1\"></text:span>"
         "<text:s/>O'Neil &amp; &lt;Sons&gt;</text:p>"},
        {"odt headings, and text outside paragraphs untouched", OpenDocument,
         "<office:meta>&lt;&lt;CSAL&gt;&gt;</office:meta><text:h>&lt;&lt;CSAL&gt;&gt;</text:h>",
         "<office:meta>&lt;&lt;CSAL&gt;&gt;</office:meta><text:h>Mr.</text:h>"},
        {"odt numeric entities are read", OpenDocument, "<text:p>&#60;&#x3C;CSAL&gt;&gt;</text:p>",
         "<text:p>Mr.</text:p>"},
    };
    for (const XmlCase& c : cases) {
        bool changed = false;
        const QString out = replaceMarkersInXml(QString::fromUtf8(c.input), c.dialect, kMarkers, &changed);
        EXPECT_EQ(out.toStdString(), c.expected) << c.name;
        EXPECT_EQ(changed, std::string(c.input) != c.expected) << c.name;
    }
}

TEST(LetterXmlTest, AValueHoldingALaterMarkerIsReplacedLikeTheWordProcessorDoes) {
    const LetterMarkers markers = {{QStringLiteral("<<A>>"), QStringLiteral("<<B>> and <<A>>")},
                                   {QStringLiteral("<<B>>"), QStringLiteral("b")}};
    const QString out = replaceMarkersInXml(QStringLiteral("<text:p>&lt;&lt;A&gt;&gt;</text:p>"),
                                            LetterXmlDialect::OpenDocument, markers);
    // <<A>> is not replaced again inside its own value; <<B>> comes later.
    EXPECT_EQ(out, QStringLiteral("<text:p>b and &lt;&lt;A&gt;&gt;</text:p>"));
}

}  // namespace
}  // namespace vv::shared
