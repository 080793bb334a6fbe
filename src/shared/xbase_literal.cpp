#include "shared/xbase_literal.h"

#include <algorithm>
#include <array>
#include <utility>

namespace vv::shared {

namespace {

struct Delimiter {
    char open;
    char close;
};

constexpr std::array<Delimiter, 3> kDelimiters{{{'\'', '\''}, {'"', '"'}, {'[', ']'}}};

std::string quoted(std::string_view text, Delimiter d) {
    std::string out;
    out.reserve(text.size() + 2);
    out += d.open;
    out += text;
    out += d.close;
    return out;
}

}  // namespace

std::string xbaseLiteral(std::string_view text) {
    for (const Delimiter& d : kDelimiters)
        if (text.find(d.close) == std::string_view::npos) return quoted(text, d);

    // Every delimiter occurs: take, each time, the longest piece some
    // delimiter can hold. A piece is never empty, since the character that
    // ends one delimiter's run is no other delimiter's closing character.
    std::string out = "(";
    while (!text.empty()) {
        std::size_t best = 0;
        Delimiter chosen = kDelimiters[0];
        for (const Delimiter& d : kDelimiters) {
            const std::size_t run = std::min(text.find(d.close), text.size());
            if (run > best) {
                best = run;
                chosen = d;
            }
        }
        if (out.size() > 1) out += " + ";
        out += quoted(text.substr(0, best), chosen);
        text.remove_prefix(best);
    }
    out += ')';
    return out;
}

}  // namespace vv::shared
