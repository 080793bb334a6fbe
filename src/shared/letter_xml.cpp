#include "shared/letter_xml.h"

#include <vector>

#include "shared/letter_runs.h"

namespace vv::shared {

namespace {

QString decodeEntities(QStringView raw) {
    QString out;
    out.reserve(raw.size());
    for (qsizetype i = 0; i < raw.size(); ++i) {
        if (raw[i] != u'&') {
            out += raw[i];
            continue;
        }
        const qsizetype semi = raw.indexOf(u';', i);
        if (semi < 0) {
            out += raw.mid(i);
            break;
        }
        const QStringView name = raw.mid(i + 1, semi - i - 1);
        if (name == u"lt") out += u'<';
        else if (name == u"gt") out += u'>';
        else if (name == u"amp") out += u'&';
        else if (name == u"quot") out += u'"';
        else if (name == u"apos") out += u'\'';
        else if (name.startsWith(u'#')) {
            bool ok = false;
            const uint code = name.startsWith(u"#x") || name.startsWith(u"#X") ? name.mid(2).toUInt(&ok, 16)
                                                                               : name.mid(1).toUInt(&ok, 10);
            if (ok) {
                const char32_t c = code;
                out += QString::fromUcs4(&c, 1);
            } else {
                out += raw.mid(i, semi - i + 1);
            }
        } else {
            out += raw.mid(i, semi - i + 1);
        }
        i = semi;
    }
    return out;
}

QString escapeText(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        if (c == u'&') out += QStringLiteral("&amp;");
        else if (c == u'<') out += QStringLiteral("&lt;");
        else if (c == u'>') out += QStringLiteral("&gt;");
        else out += c;
    }
    return out;
}

// The end of the markup starting at `at` ('<'), one past its '>'. Quoted
// attribute values may hold '>'; comments, CDATA and instructions end with
// their own closers.
qsizetype markupEnd(const QString& xml, qsizetype at) {
    auto closer = [&](const char16_t* close, qsizetype closeSize) {
        const qsizetype found = xml.indexOf(QStringView(close, closeSize), at);
        return found < 0 ? xml.size() : found + closeSize;
    };
    const QStringView rest = QStringView(xml).mid(at);
    if (rest.startsWith(u"<!--")) return closer(u"-->", 3);
    if (rest.startsWith(u"<![CDATA[")) return closer(u"]]>", 3);
    if (rest.startsWith(u"<?")) return closer(u"?>", 2);
    QChar quote;
    for (qsizetype i = at + 1; i < xml.size(); ++i) {
        const QChar c = xml[i];
        if (!quote.isNull()) {
            if (c == quote) quote = QChar();
        } else if (c == u'"' || c == u'\'') {
            quote = c;
        } else if (c == u'>') {
            return i + 1;
        }
    }
    return xml.size();
}

struct Tag {
    QStringView name;
    bool closing = false;
    bool selfClosing = false;
    bool special = false;  // comment, CDATA, instruction, declaration
};

Tag readTag(const QString& xml, qsizetype start, qsizetype end) {
    Tag tag;
    const QStringView text = QStringView(xml).mid(start, end - start);
    if (text.startsWith(u"<!") || text.startsWith(u"<?")) {
        tag.special = true;
        return tag;
    }
    qsizetype i = 1;
    if (i < text.size() && text[i] == u'/') {
        tag.closing = true;
        ++i;
    }
    qsizetype nameEnd = i;
    while (nameEnd < text.size() && !text[nameEnd].isSpace() && text[nameEnd] != u'/' && text[nameEnd] != u'>')
        ++nameEnd;
    tag.name = text.mid(i, nameEnd - i);
    tag.selfClosing = text.endsWith(u"/>");
    return tag;
}

bool endsStretch(LetterXmlDialect dialect, QStringView name) {
    if (dialect == LetterXmlDialect::WordProcessingMl)
        return name == u"w:p" || name == u"w:tab" || name == u"w:br" || name == u"w:cr" || name == u"w:sym";
    return name == u"text:p" || name == u"text:h" || name == u"text:tab" || name == u"text:line-break" ||
           name == u"text:s";
}

bool isParagraph(LetterXmlDialect dialect, QStringView name) {
    return dialect == LetterXmlDialect::WordProcessingMl ? name == u"w:p" : (name == u"text:p" || name == u"text:h");
}

// Splits the document's text nodes into stretches of joined text.
std::vector<std::vector<LetterRun>> collectStretches(const QString& xml, LetterXmlDialect dialect) {
    std::vector<std::vector<LetterRun>> stretches(1);
    int paragraphDepth = 0;
    bool inWordText = false;
    qsizetype wordTextTagStart = -1;
    qsizetype wordTextTagEnd = -1;
    qsizetype pos = 0;
    while (pos < xml.size()) {
        const qsizetype lt = xml.indexOf(u'<', pos);
        const qsizetype textEnd = lt < 0 ? xml.size() : lt;
        if (textEnd > pos) {
            const bool isText = dialect == LetterXmlDialect::WordProcessingMl ? inWordText : paragraphDepth > 0;
            if (isText) {
                LetterRun node;
                node.start = pos;
                node.end = textEnd;
                node.text = decodeEntities(QStringView(xml).mid(pos, textEnd - pos));
                if (inWordText) {
                    node.tagStart = wordTextTagStart;
                    node.tagEnd = wordTextTagEnd;
                }
                stretches.back().push_back(std::move(node));
            }
        }
        if (lt < 0) break;
        const qsizetype gt = markupEnd(xml, lt);
        const Tag tag = readTag(xml, lt, gt);
        if (!tag.special) {
            if (endsStretch(dialect, tag.name) && !stretches.back().empty()) stretches.emplace_back();
            if (isParagraph(dialect, tag.name) && !tag.selfClosing) paragraphDepth += tag.closing ? -1 : 1;
            if (dialect == LetterXmlDialect::WordProcessingMl && tag.name == u"w:t") {
                inWordText = !tag.closing && !tag.selfClosing;
                wordTextTagStart = lt;
                wordTextTagEnd = gt;
            }
        }
        pos = gt;
    }
    return stretches;
}

}  // namespace

QString replaceMarkersInXml(const QString& xml, LetterXmlDialect dialect, const LetterMarkers& markers,
                            bool* changed) {
    std::vector<std::vector<LetterRun>> stretches = collectStretches(xml, dialect);
    bool any = false;
    for (auto& nodes : stretches) any = replaceMarkersAcrossRuns(nodes, markers) || any;
    if (changed) *changed = any;
    if (!any) return xml;

    QString out;
    out.reserve(xml.size() + xml.size() / 8);
    qsizetype copied = 0;
    for (const auto& nodes : stretches) {
        for (const LetterRun& node : nodes) {
            if (!node.changed) continue;
            // A changed <w:t> keeps its spaces at either end only when told to.
            if (node.tagStart >= copied && node.tagEnd > node.tagStart) {
                const QStringView openTag = QStringView(xml).mid(node.tagStart, node.tagEnd - node.tagStart);
                if (!openTag.contains(u"xml:space")) {
                    out += QStringView(xml).mid(copied, node.tagStart - copied);
                    out += QStringLiteral("<w:t xml:space=\"preserve\"");
                    out += openTag.mid(4);  // after "<w:t"
                    copied = node.tagEnd;
                }
            }
            out += QStringView(xml).mid(copied, node.start - copied);
            out += escapeText(node.text);
            copied = node.end;
        }
    }
    out += QStringView(xml).mid(copied);
    return out;
}

}  // namespace vv::shared
