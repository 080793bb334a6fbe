#include "shared/letter_rtf.h"

#include <algorithm>
#include <vector>

#include "shared/letter_runs.h"

namespace vv::shared {

namespace {

bool isAsciiLetter(QChar c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

// Control words that end a line or cell: a marker never spans them.
bool endsStretch(QStringView word) {
    static const char16_t* const kBreaks[] = {u"par", u"line", u"tab", u"cell", u"row", u"sect", u"page",
                                              u"column", u"nestcell", u"nestrow", u"lbr", u"softline"};
    for (const char16_t* b : kBreaks)
        if (word == QStringView(b)) return true;
    return false;
}

// Groups whose text is not part of the letter's body: tables of fonts,
// colours and styles, document information, pictures, and every "\*" group.
bool isHiddenDestination(QStringView word) {
    static const char16_t* const kHidden[] = {u"fonttbl", u"colortbl", u"stylesheet", u"info", u"pict",
                                              u"listtable", u"listoverridetable", u"rsidtbl", u"revtbl",
                                              u"filetbl", u"object", u"themedata", u"colorschememapping",
                                              u"latentstyles", u"datastore", u"xmlnstbl", u"generator"};
    for (const char16_t* h : kHidden)
        if (word == QStringView(h)) return true;
    return false;
}

struct ControlWord {
    QStringView word;
    int parameter = 0;
    bool hasParameter = false;
    qsizetype end = 0;        // one past the word, its parameter and a delimiting space
    bool spaceDelimited = false;
};

// The control word starting at `at` (a backslash followed by a letter).
ControlWord readControlWord(const QString& rtf, qsizetype at) {
    ControlWord cw;
    qsizetype i = at + 1;
    while (i < rtf.size() && isAsciiLetter(rtf[i])) ++i;
    cw.word = QStringView(rtf).mid(at + 1, i - at - 1);
    const qsizetype numberStart = i;
    if (i < rtf.size() && rtf[i] == u'-') ++i;
    while (i < rtf.size() && rtf[i].isDigit()) ++i;
    if (i > numberStart) {
        cw.parameter = QStringView(rtf).mid(numberStart, i - numberStart).toInt(&cw.hasParameter);
    }
    if (i < rtf.size() && rtf[i] == u' ') {
        ++i;
        cw.spaceDelimited = true;
    }
    cw.end = i;
    return cw;
}

// One past the group that opens at `at`, escapes respected.
qsizetype groupEnd(const QString& rtf, qsizetype at) {
    int depth = 0;
    for (qsizetype i = at; i < rtf.size(); ++i) {
        const QChar c = rtf[i];
        if (c == u'\\') {
            ++i;
        } else if (c == u'{') {
            ++depth;
        } else if (c == u'}') {
            if (--depth == 0) return i + 1;
        }
    }
    return rtf.size();
}

bool opensHiddenGroup(const QString& rtf, qsizetype at) {
    qsizetype i = at + 1;
    while (i < rtf.size() && (rtf[i] == u'\r' || rtf[i] == u'\n')) ++i;
    if (i + 1 >= rtf.size() || rtf[i] != u'\\') return false;
    if (rtf[i + 1] == u'*') return true;
    return isAsciiLetter(rtf[i + 1]) && isHiddenDestination(readControlWord(rtf, i).word);
}

class RtfScanner {
public:
    explicit RtfScanner(const QString& rtf) : rtf_(rtf) {}

    std::vector<std::vector<LetterRun>> scan() {
        stretches_.assign(1, {});
        std::vector<int> unicodeSkips;
        int skip = 1;  // characters after \uN that stand in for it (\ucN)
        qsizetype pos = 0;
        while (pos < rtf_.size()) {
            const QChar c = rtf_[pos];
            if (c == u'{') {
                if (opensHiddenGroup(rtf_, pos)) {
                    endStretch();
                    pos = groupEnd(rtf_, pos);
                    continue;
                }
                unicodeSkips.push_back(skip);
                ++pos;
            } else if (c == u'}') {
                if (!unicodeSkips.empty()) {
                    skip = unicodeSkips.back();
                    unicodeSkips.pop_back();
                }
                ++pos;
            } else if (c == u'\r' || c == u'\n') {
                ++pos;  // line breaks of the file are not text
            } else if (c != u'\\') {
                addChar(pos, pos + 1, c);
                ++pos;
            } else if (pos + 1 < rtf_.size() && isAsciiLetter(rtf_[pos + 1])) {
                const qsizetype wordStart = pos;
                const ControlWord cw = readControlWord(rtf_, pos);
                pos = cw.end;
                if (cw.word == u"u" && cw.hasParameter) {
                    const char16_t code = char16_t(cw.parameter < 0 ? cw.parameter + 65536 : cw.parameter);
                    pos = skipFallback(pos, skip);
                    addChar(wordStart, pos, QChar(code));
                    continue;
                }
                if (cw.word == u"uc" && cw.hasParameter) skip = cw.parameter;
                if (endsStretch(cw.word)) endStretch();
                if (cw.word == u"bin" && cw.hasParameter) pos += cw.parameter;
                afterWordEnd_ = cw.spaceDelimited ? -1 : pos;
                continue;
            } else if (pos + 3 < rtf_.size() && rtf_[pos + 1] == u'\'') {
                bool ok = false;
                const int code = QStringView(rtf_).mid(pos + 2, 2).toInt(&ok, 16);
                addChar(pos, pos + 4, ok ? QChar(char16_t(code)) : QChar(u'?'));
                pos += 4;
            } else if (pos + 1 < rtf_.size() &&
                       (rtf_[pos + 1] == u'\\' || rtf_[pos + 1] == u'{' || rtf_[pos + 1] == u'}')) {
                addChar(pos, pos + 2, rtf_[pos + 1]);
                pos += 2;
            } else {
                endStretch();  // \~, \_, \- and other symbols
                pos += 2;
            }
        }
        return std::move(stretches_);
    }

private:
    // Skips the stand-in characters after \uN: plain characters or \'xx.
    qsizetype skipFallback(qsizetype pos, int count) const {
        for (int n = 0; n < count && pos < rtf_.size(); ++n) {
            const QChar c = rtf_[pos];
            if (c == u'{' || c == u'}') break;
            if (c == u'\\') {
                if (pos + 1 < rtf_.size() && rtf_[pos + 1] == u'\'') pos += 4;
                else break;
            } else {
                ++pos;
            }
        }
        return std::min(pos, rtf_.size());
    }

    // Plain characters next to each other form one run; an escaped one is a
    // run of its own, so unchanged escapes are copied as they were.
    void addChar(qsizetype start, qsizetype end, QChar c) {
        std::vector<LetterRun>& runs = stretches_.back();
        const bool plain = end - start == 1;
        if (plain && lastPlain_ && !runs.empty() && runs.back().end == start) {
            runs.back().end = end;
            runs.back().text += c;
            return;
        }
        LetterRun run;
        run.start = start;
        run.end = end;
        run.text = QString(c);
        run.afterControlWord = afterWordEnd_ == start;
        runs.push_back(std::move(run));
        lastPlain_ = plain;
    }

    void endStretch() {
        if (!stretches_.back().empty()) stretches_.emplace_back();
    }

    const QString& rtf_;
    std::vector<std::vector<LetterRun>> stretches_;
    qsizetype afterWordEnd_ = -1;  // where an unspaced control word ended
    bool lastPlain_ = false;
};

}  // namespace

QString rtfEscaped(const QString& value) {
    QString out;
    const QString text = QString(value).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'\\' || u == u'{' || u == u'}') {
            out += u'\\';
            out += c;
        } else if (u == u'\n' || u == u'\r') {
            out += QStringLiteral("\\par ");
        } else if (u == u'\t') {
            out += QStringLiteral("\\tab ");
        } else if (u < 0x80) {
            out += c;
        } else if (u <= 0xFF) {
            out += QStringLiteral("\\'%1").arg(uint(u), 2, 16, QChar(u'0'));
        } else {
            out += QStringLiteral("\\u%1?").arg(int(static_cast<int16_t>(u)));
        }
    }
    return out;
}

QString replaceMarkersInRtf(const QString& rtf, const LetterMarkers& markers, bool* changed) {
    std::vector<std::vector<LetterRun>> stretches = RtfScanner(rtf).scan();
    bool any = false;
    for (auto& runs : stretches) any = replaceMarkersAcrossRuns(runs, markers) || any;
    if (changed) *changed = any;
    if (!any) return rtf;
    QString out;
    qsizetype copied = 0;
    for (const auto& runs : stretches) {
        for (const LetterRun& run : runs) {
            if (!run.changed) continue;
            out += QStringView(rtf).mid(copied, run.start - copied);
            // New text right after a control word ended by no space would be
            // read as part of it ("\b" then "Acme"): a space ends the word.
            if (run.afterControlWord && !run.text.isEmpty()) out += u' ';
            out += rtfEscaped(run.text);
            copied = run.end;
        }
    }
    out += QStringView(rtf).mid(copied);
    return out;
}

}  // namespace vv::shared
