#include "data/demo_hotel.h"

#include <algorithm>
#include <cstdio>
#include <random>
#include <string_view>

#include "data/catalogue.h"
#include "data/demo_content.h"
#include "db/record_key.h"

namespace vv::data::demo {

namespace {

using db::Date;

// The same sample on every machine: mt19937's output is fixed by the
// standard (its distributions are not, so none is used).
constexpr uint32_t kSeed = 20261210;

// Beyond the hand-written companies, names are made from a family name, a
// trade and a legal form ("Müller Logistics GmbH").
struct Trade {
    std::string_view word, industry;
};
constexpr Trade kTrades[] = {{"Logistics", "MFG"},   {"Consulting", "LGL"}, {"Software", "TECH"},
                             {"Health", "HLTH"},     {"Capital", "FIN"},    {"Engineering", "MFG"},
                             {"Foods", "FOOD"},      {"Media", "TECH"},     {"Energy", "ENGY"},
                             {"Learning", "EDU"}};
constexpr std::string_view kLegalForms[] = {"Inc.", "LLC", "Group", "& Co.", "Ltd.", "GmbH", "Partners", "S.A."};
constexpr int kCallDays = 180;  // calls reach this far back
constexpr int kStayDays = 150;  // and tracking records this far
constexpr int kDaysSinceExport = 14;

// Lower-case ASCII letters and digits of a name, accents dropped ("Müller" -> "muller").
std::string asciiFold(std::string_view utf8) {
    static const std::pair<std::string_view, char> kFolds[] = {
        {"à", 'a'}, {"á", 'a'}, {"ä", 'a'}, {"å", 'a'}, {"ç", 'c'}, {"è", 'e'}, {"é", 'e'}, {"ë", 'e'},
        {"ï", 'i'}, {"ñ", 'n'}, {"ó", 'o'}, {"ö", 'o'}, {"ø", 'o'}, {"ü", 'u'}, {"Ö", 'o'}, {"É", 'e'},
        {"í", 'i'},
    };
    std::string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const unsigned char c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            if (c >= 'A' && c <= 'Z') out += static_cast<char>(c + 32);
            else if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) out += static_cast<char>(c);
            ++i;
            continue;
        }
        std::size_t len = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
        for (const auto& [from, to] : kFolds)
            if (utf8.substr(i, len) == from) out += to;
        i += len;
    }
    return out;
}

std::string upper(std::string s) {
    for (auto& c : s) c = static_cast<char>((c >= 'a' && c <= 'z') ? c - 32 : c);
    return s;
}

std::string digits(long value, int width) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%0*ld", width, value);
    return buf;
}

class Generator {
public:
    Generator(Date today, const DemoScale& scale)
        : today_(today), lastExport_(today.addDays(-kDaysSinceExport)), scale_(scale) {}

    Hotel make() {
        Hotel h;
        h.today = today_;
        h.lastExport = lastExport_;
        makeAccounts(h);
        makeGroupsLinks(h);
        makeCalls(h);
        makeTraces(h);
        makeStays(h);
        summarise(h);
        return h;
    }

private:
    int below(int n) { return static_cast<int>(rng_() % static_cast<uint32_t>(n)); }
    bool chance(int percent) { return below(100) < percent; }
    template <typename T, std::size_t N>
    const T& pick(const std::array<T, N>& a) { return a[below(static_cast<int>(N))]; }

    // Calls and visits happen on working days.
    static Date weekday(Date d) {
        if (d.dayOfWeek() == 1) return d.addDays(-2);
        if (d.dayOfWeek() == 7) return d.addDays(-1);
        return d;
    }

    std::string phone(const City& city) {
        if (city.phoneArea.front() == '+')
            return std::string(city.phoneArea) + " " + digits(100 + below(900), 3) + " " + digits(below(100000), 5);
        return std::string(city.phoneArea) + "-555-" + digits(below(10000), 4);
    }

    std::string key() {
        db::RecordKeySources sources;
        sources.clock = [this] { return db::LocalTime{8 + below(10), below(60), below(60), below(1000)}; };
        sources.randomBelow100000 = [this] { return below(100000); };
        return db::makeRecordKey(sources);
    }

    Person person(const Account& a, const City& city) {
        Person p;
        const auto& first = pick(kFirstNames);
        p.first = std::string(first.name);
        p.salutation = std::string(first.salutation);
        p.last = pick(kLastNames);
        p.title = pick(kTitles);
        p.department = pick(kDepartments);
        p.phone = city.phoneArea.front() == '+' ? a.phone : phone(city);
        if (chance(40)) p.ext = std::to_string(100 + below(900));
        const std::string domain = asciiFold(a.fileCode.substr(0, a.fileCode.size() - 2)) + ".example";
        p.email = asciiFold(p.first).substr(0, 1) + asciiFold(p.last) + "@" + domain;
        p.birthday = digits(1 + below(12), 2) + "/" + digits(1 + below(28), 2);
        return p;
    }

    void makeAccounts(Hotel& h) {
        for (std::size_t i = 0; i < static_cast<std::size_t>(std::max<int>(scale_.accounts, 1)); ++i) {
            std::string madeName;
            Company company{};
            if (i < kCompanies.size()) {
                company = kCompanies[i];
            } else {
                const Trade& trade = kTrades[below(static_cast<int>(std::size(kTrades)))];
                madeName = std::string(pick(kLastNames)) + " " + std::string(trade.word) + " " +
                           std::string(kLegalForms[below(static_cast<int>(std::size(kLegalForms)))]);
                company = Company{madeName, trade.industry, chance(10) ? 10 + below(4) : -1};
            }
            const auto& city = kCities[company.city >= 0 ? company.city : below(kHomeCities)];
            Account a;
            const std::string letters = upper(asciiFold(company.name)).substr(0, 6);
            a.fileCode = letters + digits(static_cast<long>(i) + 1, 2);
            a.corpNo = std::to_string(100100 + (static_cast<long>(i) + 1) * 137);
            a.companyId = i < 999 ? "C" + digits(static_cast<long>(i) + 1, 3) : digits(static_cast<long>(i) + 1, 4);
            a.name = std::string(company.name);
            a.addr1 = std::to_string(100 + below(9800)) + " " + std::string(pick(kStreets));
            if (chance(30)) a.addr2 = "Suite " + std::to_string(100 * (1 + below(9)));
            a.city = std::string(city.name);
            a.state = std::string(city.state);
            a.zip = std::string(city.zipPrefix) + (city.country == "Canada" ? " 1C6" : digits(below(100), 2));
            a.country = std::string(city.country);
            a.region = std::string(city.region);
            a.phone = phone(city);
            if (chance(50)) a.fax = phone(city);
            a.salesId = std::string(kSalespeople[below(kAccountOwners)].id);
            a.segment = std::string(pick(kAccountSegments));
            a.website = "www." + asciiFold(letters) + ".example";
            a.email = "info@" + asciiFold(letters) + ".example";
            a.userCodes = {std::string(company.industry), std::string(pick(kLeadSources).code), a.region,
                           std::string(pick(kPotentials).code), std::string(pick(kCompetitors).code)};
            a.created = today_.addDays(-400 - below(1500));
            const int contacts = 1 + below(4);
            for (int c = 0; c < contacts; ++c) a.contacts.push_back(person(a, city));
            a.contacts.front().decisionMaker = true;
            h.accounts.push_back(std::move(a));
        }
    }

    void makeGroupsLinks(Hotel& h) {
        for (std::size_t g = 0; g < kGroupEvents.size(); ++g) {
            auto& a = h.accounts[kGroupEvents[g].account];
            a.eventNo = "E" + digits(10001 + static_cast<long>(g), 5);
            a.eventArrival = today_.addDays(kGroupEvents[g].arrivalOffset);
        }
    }

    int callType() {
        int total = 0;
        for (const auto& t : kCallTypes) total += t.weight;
        int r = below(total);
        for (std::size_t i = 0; i < kCallTypes.size(); ++i) {
            if (r < kCallTypes[i].weight) return static_cast<int>(i);
            r -= kCallTypes[i].weight;
        }
        return 0;
    }

    void makeCalls(Hotel& h) {
        for (int i = 0; i < scale_.calls; ++i) {
            Call c;
            c.account = below(static_cast<int>(h.accounts.size()));
            const Account& a = h.accounts[c.account];
            c.contact = below(static_cast<int>(a.contacts.size()));
            const Person& p = a.contacts[c.contact];
            c.date = weekday(today_.addDays(-below(kCallDays)));
            c.type = callType();
            c.memo = std::string(kCallTypes[c.type].verb) + " " + p.first + " " + p.last + " about " +
                     std::string(pick(kTopics)) + ". " + std::string(pick(kOutcomes));
            if (chance(25)) c.memo += "\r\nNext step: send the " + std::string(pick(kLetters)) + " letter.";
            if (!a.eventNo.empty() && c.date < a.eventArrival && c.date.addDays(120) > a.eventArrival && chance(50))
                c.eventNo = a.eventNo;
            if (chance(30)) {
                c.trace = weekday(c.date.addDays(5 + below(31)));
                c.traceCode = std::string(pick(kTraceCodes).code);
            }
            c.modified = c.date;
            c.key = key();
            h.calls.push_back(std::move(c));
        }
        std::sort(h.calls.begin(), h.calls.end(), [](const Call& x, const Call& y) { return x.date < y.date; });
    }

    static Text traceDescription(std::string_view code) {
        for (const auto& t : kTraceCodes)
            if (t.code == code) return t.description;
        return "Unknown Trace";
    }

    // Traces before today are mostly done; the rest stay open, overdue.
    void settle(Trace& t) {
        t.status = "O";
        t.modified = t.added;
        if (t.date < today_ && chance(65)) {
            t.status = "C";
            t.completed = std::min(today_, t.date.addDays(below(4)));
            t.modified = t.completed;
        }
    }

    void makeTraces(Hotel& h) {
        for (const Call& c : h.calls) {
            if (c.trace.isEmpty()) continue;
            // As the call window writes them: the call's key and notes, "SC-" before the description.
            Trace t;
            t.account = c.account;
            t.contact = c.contact;
            t.date = c.trace;
            t.code = c.traceCode;
            // Cut to the field, as the call window has to: "SC-" plus a full-width description is too long.
            t.description = ("SC-" + std::string(traceDescription(c.traceCode)))
                                .substr(0, tableDef("TRACES.DBF").field("TRACE_DESC").width);
            t.memo = c.memo;
            t.key = c.key;
            t.addMethod = "A";
            t.salesId = h.accounts[c.account].salesId;
            t.eventNo = c.eventNo;
            t.added = c.date;
            settle(t);
            h.traces.push_back(std::move(t));
        }
        const int standalone = std::max(10, scale_.traces - static_cast<int>(h.traces.size()));
        for (int i = 0; i < standalone; ++i) {
            Trace t;
            t.account = below(static_cast<int>(h.accounts.size()));
            const Account& a = h.accounts[t.account];
            t.contact = below(static_cast<int>(a.contacts.size()));
            t.added = weekday(today_.addDays(-below(60)));
            t.date = weekday(t.added.addDays(3 + below(45)));
            const auto& code = pick(kTraceCodes);
            t.code = std::string(code.code);
            t.description = std::string(code.description);
            t.memo = "Check in with " + a.contacts[t.contact].first + " about " + std::string(pick(kTopics)) + ".";
            t.key = key();
            t.addMethod = "M";
            t.salesId = a.salesId;
            settle(t);
            h.traces.push_back(std::move(t));
        }
    }

    // Accounts mostly stay on the rate their segment negotiated.
    int rateCodeFor(std::string_view segment) {
        auto index = [](std::string_view code) {
            for (std::size_t i = 0; i < kRateCodes.size(); ++i)
                if (kRateCodes[i].code == code) return static_cast<int>(i);
            return 0;
        };
        if (chance(15)) return index("RACK");
        if (segment == "XSTY") return index("XST");
        if (segment == "GOVT") return index("GOV");
        if (segment == "LNR") return index(chance(50) ? "LNR1" : "LNR2");
        if (segment == "CGRP") return index(chance(50) ? "GRP" : "CORP");
        return index("CORP");
    }

    void makeStays(Hotel& h) {
        for (int i = 0; i < scale_.stays; ++i) {
            Stay s;
            s.account = below(static_cast<int>(h.accounts.size()));
            if (chance(15)) s.booker = below(static_cast<int>(h.accounts.size()));
            s.date = today_.addDays(-below(kStayDays));
            s.nights = 1 + below(4);
            s.rooms = chance(10) ? 5 + below(16) : 1 + below(3);
            s.rateCode = rateCodeFor(h.accounts[s.account].segment);
            if (kRateCodes[s.rateCode].code == "XST") s.nights = 7 + below(21);
            // Negotiated rates move a little; half of them end in .50.
            s.rate = kRateCodes[s.rateCode].rate - 10.0 * below(3) + (chance(50) ? 0.5 : 0.0);
            s.tier = std::to_string(below(4));
            s.key = key();
            h.stays.push_back(std::move(s));
        }
        std::sort(h.stays.begin(), h.stays.end(), [](const Stay& x, const Stay& y) { return x.date < y.date; });
    }

    void summarise(Hotel& h) {
        for (const Call& c : h.calls) h.accounts[c.account].lastCall = std::max(h.accounts[c.account].lastCall, c.date);
        for (const Trace& t : h.traces) {
            auto& next = h.accounts[t.account].nextTrace;
            if (t.status == "O" && (next.isEmpty() || t.date < next)) next = t.date;
        }
        for (const Stay& s : h.stays) {
            Account& a = h.accounts[s.account];
            if (s.date >= a.lastBook) {
                a.lastBook = s.date;
                a.lastRooms = s.rooms;
                a.lastRevenue = s.rooms * s.rate;
            }
            if (s.date.year() == today_.year()) {
                a.ytdRooms += s.rooms;
                a.ytdRevenue += s.rooms * s.rate;
            }
        }
    }

    std::mt19937 rng_{kSeed};
    Date today_, lastExport_;
    DemoScale scale_;
};

}  // namespace

Hotel makeHotel(Date today, const DemoScale& scale) { return Generator(today, scale).make(); }

Date exportedStamp(Date modified, Date lastExport) { return modified <= lastExport ? lastExport : Date(); }

}  // namespace vv::data::demo
