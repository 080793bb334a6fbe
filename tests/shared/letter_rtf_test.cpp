// Marker replacement in RTF letters, as Word stores their text.
#include <gtest/gtest.h>

#include "shared/letter_rtf.h"

namespace vv::shared {
namespace {

TEST(LetterRtfTest, ReplacesMarkersInTheTextAReaderSees) {
    const LetterMarkers markers = {{QStringLiteral("<<CSAL>>"), QStringLiteral("Mr.")},
                                   {QStringLiteral("<<CLAST>>"), QStringLiteral("Zo\u00EB {B}")},
                                   {QStringLiteral("<<CITY>>"), QStringLiteral("Acme")}};
    struct Case {
        const char* name;
        const char* input;
        const char* expected;
    };
    const Case cases[] = {
        {"plain", "{\\rtf1 Dear <<CSAL>>\\par}", "{\\rtf1 Dear Mr.\\par}"},
        {"split over groups of different formatting",
         "{\\rtf1 {\\insrsid1 Dear <<CS}{\\b\\insrsid2 AL>>}\\par}",
         "{\\rtf1 {\\insrsid1 Dear Mr.}{\\b\\insrsid2 }\\par}"},
        {"split by a line break of the file, value escaped", "{\\rtf1 <<CL\r\nAST>>}",
         "{\\rtf1 Zo\\'eb \\{B\\}\r\n}"},
        {"right after a control word without a space", "{\\rtf1\\b<<CITY>>}", "{\\rtf1\\b Acme}"},
        {"not across paragraphs", "{\\rtf1 <<CS\\par AL>>}", "{\\rtf1 <<CS\\par AL>>}"},
        {"font table and \\* groups are not text",
         "{\\rtf1{\\fonttbl{\\f0 <<CSAL>>;}}{\\*\\bkmkstart <<CSAL>>}<<CSAL>>}",
         "{\\rtf1{\\fonttbl{\\f0 <<CSAL>>;}}{\\*\\bkmkstart <<CSAL>>}Mr.}"},
        {"escapes around the marker are kept", "{\\rtf1 caf\\'e9 \\u8364? <<CSAL>>\\{x\\}}",
         "{\\rtf1 caf\\'e9 \\u8364? Mr.\\{x\\}}"},
        {"marker written with escapes", "{\\rtf1 \\'3c<CSAL>\\'3e}", "{\\rtf1 Mr.}"},
    };
    for (const Case& c : cases) {
        bool changed = false;
        const QString out = replaceMarkersInRtf(QString::fromLatin1(c.input), markers, &changed);
        EXPECT_EQ(out.toStdString(), c.expected) << c.name;
        EXPECT_EQ(changed, std::string(c.input) != c.expected) << c.name;
    }
}

TEST(LetterRtfTest, EscapesValues) {
    EXPECT_EQ(rtfEscaped(QStringLiteral("a\\b{c}\td\r\ne\u00E9\u20AC")).toStdString(),
              "a\\\\b\\{c\\}\\tab d\\par e\\'e9\\u8364?");
    EXPECT_EQ(rtfEscaped(QStringLiteral("\uFB01")).toStdString(), "\\u-1279?");
}

}  // namespace
}  // namespace vv::shared
