// Writing the sample hotel (demo_hotel.h) into the tables of a data folder.
#include <algorithm>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "data/data_folder.h"
#include "data/demo_content.h"
#include "data/demo_hotel.h"
#include "db/table.h"

namespace vv::data {

namespace {

using db::Date;

std::unique_ptr<db::Table> openExclusive(const std::string& folder, std::string_view fileName) {
    db::OpenOptions options;
    options.exclusive = true;
    return db::Table::open(folder, std::string(fileName), options);
}

// Rows of text values, one per field of `fields`, for the small tables.
void writeRows(const std::string& folder, std::string_view fileName, const std::vector<std::string>& fields,
               const std::vector<std::vector<std::string>>& rows) {
    auto t = openExclusive(folder, fileName);
    for (const auto& row : rows) {
        t->append();
        for (std::size_t i = 0; i < fields.size() && i < row.size(); ++i) t->setText(fields[i], row[i]);
        t->post();
    }
}

template <typename Codes>
std::vector<std::vector<std::string>> codeRows(const Codes& codes) {
    std::vector<std::vector<std::string>> rows;
    for (const auto& c : codes) rows.push_back({std::string(c.code), std::string(c.description)});
    return rows;
}

void writeCodeTables(const std::string& folder, Date lastExport, const ProgressFn& progress) {
    auto say = [&](const char* name) { if (progress) progress(std::string("Filling ") + name + "..."); };
    say("LOCINFO.DBF");
    const auto& h = demo::kLocation;
    writeRows(folder, "LOCINFO.DBF",
              {"LOCCODE", "LOCNAM", "RESTNAME", "LOCADDR", "LOCCITY", "LOCSTATE", "LOCZIP", "LOC_TYPE", "TIER1_RMS",
               "TIER2_RMS", "TIER3_RMS"},
              {{std::string(h.code), std::string(h.name), std::string(h.restaurant), std::string(h.address),
                std::string(h.city), std::string(h.state), std::string(h.zip), std::string(h.type),
                std::to_string(h.tier1), std::to_string(h.tier2), std::to_string(h.tier3)}});
    say("SYSTEM.DBF");
    std::vector<std::string> system = {"A"};
    for (auto label : demo::kUserFieldLabels) system.emplace_back(label);
    system.push_back("Y");
    writeRows(folder, "SYSTEM.DBF",
              {"BACKUPTO", "USER_FLD1", "USER_FLD2", "USER_FLD3", "USER_FLD4", "USER_FLD5", "KEEP_FLDS"}, {system});
    say("MASTPER.DBF");
    std::vector<std::vector<std::string>> people;
    for (const auto& p : demo::kSalespeople)
        people.push_back({std::string(h.code), std::string(p.first), std::string(p.last), std::string(p.id),
                          std::string(p.title), std::string(p.email)});
    writeRows(folder, "MASTPER.DBF", {"LOCCODE", "SFIRST", "SLAST", "SALES_ID", "TITLE", "EMAIL"}, people);
    say("SALECODE.DBF");
    std::vector<std::vector<std::string>> types;
    for (const auto& c : demo::kCallTypes)
        types.push_back({std::string(c.code), std::string(c.description), std::to_string(c.monthlyGoal),
                         std::to_string(c.points), c.points >= 3 ? "Y" : "N"});
    writeRows(folder, "SALECODE.DBF", {"SALE_CODE", "SALE_DESC", "MON_GOALS", "POINTS", "KEY_CODE"}, types);
    say("TRACCODE.DBF");
    writeRows(folder, "TRACCODE.DBF", {"TR_CODE", "TR_DESC"}, codeRows(demo::kTraceCodes));
    say("MASTSEG.DBF");
    std::vector<std::vector<std::string>> segments;
    for (const auto& s : demo::kSegments)
        segments.push_back({std::string(s.code), std::string(s.name), std::string(s.type)});
    writeRows(folder, "MASTSEG.DBF", {"SEGMENT", "SEGNAME", "TYPE"}, segments);
    say("RATECODE.DBF");
    writeRows(folder, "RATECODE.DBF", {"CODE", "DESC"}, codeRows(demo::kRateCodes));
    say("HOTELS2.DBF");
    auto hotels = codeRows(demo::kCompetitors);
    hotels.pop_back();  // "NONE" is a user code, not a hotel
    writeRows(folder, "HOTELS2.DBF", {"CODE", "DESC"}, hotels);
    say("TITLES.DBF");
    std::vector<std::vector<std::string>> titles, departments;
    for (auto t : demo::kTitles) titles.push_back({std::string(t)});
    for (auto d : demo::kDepartments) departments.push_back({std::string(d)});
    writeRows(folder, "TITLES.DBF", {"TITLE_NAME"}, titles);
    say("DEPTS.DBF");
    writeRows(folder, "DEPTS.DBF", {"DEP_NAME"}, departments);
    say("LETTERS.DBF");
    addSampleLetters(folder);
    const std::array<std::vector<std::vector<std::string>>, 5> userCodes = {
        codeRows(demo::kIndustries), codeRows(demo::kLeadSources), codeRows(demo::kRegions),
        codeRows(demo::kPotentials), codeRows(demo::kCompetitors)};
    for (int n = 1; n <= 5; ++n) {
        const std::string d = std::to_string(n);
        if (progress) progress("Filling UFILE" + d + ".DBF...");
        writeRows(folder, "UFILE" + d + ".DBF", {"U_CODE" + d, "U_NAME" + d}, userCodes[n - 1]);
    }
    say("BKUPDATE.DBF");
    writeRows(folder, "BKUPDATE.DBF", {"EXPDATE"}, {{lastExport.dtos()}});
}

// The program's own user: completes traces, enters tracking records.
const std::string kSalesId = "XXX";
const std::string kLocCode(demo::kLocation.code);

// Stamps of a record entered in a window, as the windows write them.
void stampEntered(db::Table& t, Date added, Date modified, Date lastExport) {
    t.setDate("ADDED", added);
    t.setDate("MODIFIED", modified);
    t.setDate("EXPORTED", demo::exportedStamp(modified, lastExport));
}

void setUserCodes(db::Table& t, const demo::Account& a) {
    for (int n = 0; n < 5; ++n) t.setText("U_CODE" + std::to_string(n + 1), a.userCodes[n]);
}

void writeAccounts(const std::string& folder, const demo::Hotel& h) {
    auto t = openExclusive(folder, "ACCOUNT.DBF");
    for (const auto& a : h.accounts) {
        const auto& boss = a.contacts.front();
        t->append();
        t->setText("LOCCODE", kLocCode);
        t->setText("FILE_CODE", a.fileCode);
        t->setText("CORP_NO", a.corpNo);
        t->setText("COMPANY_ID", a.companyId);
        t->setText("ACCT_NAME", a.name);
        t->setText("ADDR1", a.addr1);
        t->setText("ADDR2", a.addr2);
        t->setText("CITY", a.city);
        t->setText("STATE", a.state);
        t->setText("ZIP", a.zip);
        t->setText("COUNTRY", a.country);
        t->setText("C_SAL", boss.salutation);
        t->setText("C_FIRST", boss.first);
        t->setText("C_LAST", boss.last);
        t->setText("C_TITLE", boss.title);
        t->setText("PHONE", a.phone);
        t->setText("FAX", a.fax);
        t->setText("SALES_ID", a.salesId);
        t->setText("SEGMENT", a.segment);
        setUserCodes(*t, a);
        t->setDate("LAST_CALL", a.lastCall);
        t->setDate("NEXT_TRACE", a.nextTrace);
        t->setDate("LAST_BOOK", a.lastBook);
        t->setNumber("LAST_RMS", a.lastRooms);
        t->setNumber("LAST_REV", a.lastRevenue);
        t->setText("LAST_EVENT", a.eventNo);
        t->setNumber("YTD_ROOMS", static_cast<double>(a.ytdRooms));
        t->setNumber("YTD_RMREV", a.ytdRevenue);
        t->setNumber("YTD_ADR", a.ytdRooms ? a.ytdRevenue / static_cast<double>(a.ytdRooms) : 0.0);
        t->setText("ACCT_STAT", "A");
        t->setText("WEBSITE", a.website);
        t->setText("EMAIL", a.email);
        t->setDate("CREATED", a.created);
        t->setDate("ADDED", a.created);
        t->setDate("MODIFIED", a.created);
        if (a.segment == "XSTY") t->setText("MEMO", "Relocation account: books 30-night stays, billed monthly.");
        t->post();
    }
}

void writeContacts(const std::string& folder, const demo::Hotel& h) {
    auto t = openExclusive(folder, "CONTACTS.DBF");
    for (const auto& a : h.accounts) {
        for (const auto& p : a.contacts) {
            t->append();
            t->setText("LOCCODE", kLocCode);
            t->setText("FILE_CODE", a.fileCode);
            t->setText("CORP_NO", a.corpNo);
            t->setText("CO_ID", a.companyId);
            t->setText("SEGMENT", a.segment);
            t->setText("ACCT_NAME", a.name);
            t->setText("ADDR1", a.addr1);
            t->setText("ADDR2", a.addr2);
            t->setText("CITY", a.city);
            t->setText("STATE", a.state);
            t->setText("ZIP", a.zip);
            t->setText("COUNTRY", a.country);
            setUserCodes(*t, a);
            t->setText("DEC_MAKER", p.decisionMaker ? "Y" : "N");
            t->setText("BOOKER", p.decisionMaker ? "N" : "Y");
            t->setText("DEPT", p.department);
            t->setText("C_SAL", p.salutation);
            t->setText("C_FIRST", p.first);
            t->setText("C_LAST", p.last);
            t->setText("C_TITLE", p.title);
            t->setText("C_PHONE", p.phone);
            t->setText("C_EXT", p.ext);
            t->setText("SALES_ID", a.salesId);
            t->setText("C_BIRTH", p.birthday);
            t->setText("EMAIL", p.email);
            t->setDate("ADDED", a.created);
            t->setDate("MODIFIED", a.created);
            t->post();
        }
    }
}

void writeCalls(const std::string& folder, const demo::Hotel& h) {
    auto t = openExclusive(folder, "SALECALL.DBF");
    for (const auto& c : h.calls) {
        const auto& a = h.accounts[c.account];
        const auto& p = a.contacts[c.contact];
        t->append();
        t->setText("LOCCODE", kLocCode);
        t->setText("FILE_CODE", a.fileCode);
        t->setDate("DATE", c.date);
        t->setText("ACCT_NAME", a.name);
        t->setText("C_SAL", p.salutation);
        t->setText("C_FIRST", p.first);
        t->setText("C_LAST", p.last);
        t->setText("C_PHONE", p.phone);
        t->setText("C_EXT", p.ext);
        t->setText("C_TITLE", p.title);
        t->setText("ADDR1", a.addr1);
        t->setText("ADDR2", a.addr2);
        t->setText("CITY", a.city);
        t->setText("STATE", a.state);
        t->setText("ZIP", a.zip);
        t->setText("EMAIL", p.email);
        setUserCodes(*t, a);
        t->setText("EVENT_NO", c.eventNo);
        t->setText("CALL_TYPE", std::string(demo::kCallTypes[c.type].code));
        t->setText("SALES_ID", a.salesId);
        t->setText("SEGMENT", a.segment);
        t->setDate("TRACE", c.trace);
        t->setText("TRACE_CODE", c.traceCode);
        t->setText("MEMO", c.memo);
        stampEntered(*t, c.date, c.modified, h.lastExport);
        t->setNumber("CALLCOUNT", 1);
        t->setText("ADD_METH", "M");
        t->setText("SOURCE", "SL");
        t->setText("POSTED_BY", "999");
        t->setText("KEY", c.key);
        t->post();
    }
}

void writeTraces(const std::string& folder, const demo::Hotel& h) {
    auto t = openExclusive(folder, "TRACES.DBF");
    for (const auto& tr : h.traces) {
        const auto& a = h.accounts[tr.account];
        const auto& p = a.contacts[tr.contact];
        t->append();
        t->setText("LOCCODE", kLocCode);
        t->setText("EVENT_NO", tr.eventNo);
        t->setText("FILE_CODE", a.fileCode);
        t->setText("TRACE_CODE", tr.code);
        t->setDate("TRACE_DATE", tr.date);
        t->setText("TRACE_DESC", tr.description);
        t->setText("C_FIRST", p.first);
        t->setText("C_LAST", p.last);
        t->setText("C_PHONE", p.phone);
        t->setText("C_EXT", p.ext);
        t->setText("SALES_ID", tr.salesId);
        t->setText("STATUS", tr.status);
        if (tr.status == "C") {
            t->setDate("COMP_DATE", tr.completed);
            t->setText("COMP_BY", kSalesId);
        }
        setUserCodes(*t, a);
        stampEntered(*t, tr.added, tr.modified, h.lastExport);
        t->setText("ADD_METH", tr.addMethod);
        t->setText("MEMO", tr.memo);
        t->setText("ACCT_NAME", a.name);
        t->setText("C_SAL", p.salutation);
        t->setText("ADDR1", a.addr1);
        t->setText("ADDR2", a.addr2);
        t->setText("CITY", a.city);
        t->setText("STATE", a.state);
        t->setText("ZIP", a.zip);
        t->setText("EMAIL", p.email);
        t->setText("C_FAX", a.fax);
        t->setText("KEY", tr.key);
        t->post();
    }
}

void writeTracking(const std::string& folder, const demo::Hotel& h) {
    auto t = openExclusive(folder, "SALES.DBF");
    for (const auto& s : h.stays) {
        const auto& a = h.accounts[s.account];
        const auto& rate = demo::kRateCodes[s.rateCode];
        std::string_view segmentType;
        for (const auto& seg : demo::kSegments)
            if (seg.code == a.segment) segmentType = seg.type;
        t->append();
        t->setText("LOCCODE", kLocCode);
        t->setDate("DATE", s.date);
        t->setDate("DEP_DATE", s.date.addDays(s.nights));
        t->setText("SEGMENT", a.segment);
        t->setText("SOURCE", "SL");
        t->setText("SEG_TYPE", std::string(segmentType));
        t->setText("CORP_NO", a.corpNo);
        if (s.booker >= 0) t->setText("BOOKER_NO", h.accounts[s.booker].corpNo);
        t->setText("COMPANY_ID", a.companyId);
        t->setNumber("ROOMS", s.rooms);
        t->setNumber("RATE", s.rate);
        t->setNumber("RMREV", s.rooms * s.rate);
        t->setText("SALES_ID", a.salesId);
        setUserCodes(*t, a);
        t->setText("STATE", a.state);
        t->setText("ZIP", a.zip);
        t->setText("USER", kSalesId);
        t->setText("RATE_CODE", std::string(rate.code));
        t->setText("RATE_TIER", s.tier);
        t->setText("POST_METH", "M");
        t->setText("KEY", s.key);
        stampEntered(*t, s.date, s.date, h.lastExport);
        t->setText("ADD_METH", "M");
        t->setText("EXTSTAY", rate.code == "XST" ? "Y" : "N");
        t->post();
    }
}

void writeGroups(const std::string& folder, const demo::Hotel& h) {
    auto t = openExclusive(folder, "GROUPS.DBF");
    for (const auto& g : demo::kGroupEvents) {
        const auto& a = h.accounts[g.account];
        const auto& p = a.contacts.front();
        const Date arrival = h.today.addDays(g.arrivalOffset);
        const double revenue = g.rooms * g.nights * g.rate;
        t->append();
        t->setText("LOCCODE", kLocCode);
        t->setText("FILE_CODE", a.fileCode);
        t->setText("EVENT_NO", a.eventNo);
        t->setText("COMPANY_ID", a.companyId);
        t->setText("ACCT_NAME", a.name);
        t->setText("BOOK_NAME", std::string(g.name));
        t->setText("ADDR1", a.addr1);
        t->setText("ADDR2", a.addr2);
        t->setText("CITY", a.city);
        t->setText("STATE", a.state);
        t->setText("ZIP", a.zip);
        t->setText("COUNTRY", a.country);
        t->setText("CON1_SAL", p.salutation);
        t->setText("CON1_FIRST", p.first);
        t->setText("CON1_LAST", p.last);
        t->setText("CON1_PHONE", p.phone);
        t->setText("CON1_TITLE", p.title);
        t->setText("EMAIL", p.email);
        t->setDate("ARR_DATE", arrival);
        t->setDate("DEP_DATE", arrival.addDays(g.nights));
        t->setNumber("SING_RATE", g.rate);
        t->setNumber("MULT_RATE", g.rate + 20);
        t->setNumber("AV_RATE", g.rate);
        t->setNumber("EST_RM_REV", revenue);
        t->setText("SALES_ID", std::string(demo::kSalespeople.back().id));
        t->setText("SALES_ID2", a.salesId);
        t->setText("SEGMENT", std::string(g.segment));
        t->setText("STATUS", std::string(g.status));
        t->setDate("DECISION", arrival.addDays(-45));
        t->setDate("CUT_DATE", arrival.addDays(-21));
        t->setNumber("RM_BLOCK", g.rooms);
        t->setNumber("ORIG_BLOCK", g.rooms);
        t->setNumber("GUESTS", g.rooms * 3 / 2);
        t->setNumber("TOT_RMRENT", revenue);
        t->setNumber("TOT_AVRENT", g.rate);
        t->setDate("BOOK_DATE", arrival.addDays(-120));
        t->setText("MEMO", "Block of " + std::to_string(g.rooms) + " rooms for " + std::to_string(g.nights) +
                               (g.nights == 1 ? " night" : " nights") + "; meeting room and coffee breaks daily.");
        t->post();
    }
}

}  // namespace

DemoSummary fillDemoData(const std::string& dataFolder, Date today, const ProgressFn& progress,
                         const DemoScale& scale) {
    const demo::Hotel h = demo::makeHotel(today, scale);
    writeCodeTables(dataFolder, h.lastExport, progress);
    auto say = [&](const char* name) { if (progress) progress(std::string("Filling ") + name + "..."); };
    say("ACCOUNT.DBF");
    writeAccounts(dataFolder, h);
    say("CONTACTS.DBF");
    writeContacts(dataFolder, h);
    say("SALECALL.DBF");
    writeCalls(dataFolder, h);
    say("TRACES.DBF");
    writeTraces(dataFolder, h);
    say("SALES.DBF");
    writeTracking(dataFolder, h);
    say("GROUPS.DBF");
    writeGroups(dataFolder, h);

    DemoSummary summary;
    summary.accounts = static_cast<int>(h.accounts.size());
    for (const auto& a : h.accounts) summary.contacts += static_cast<int>(a.contacts.size());
    summary.calls = static_cast<int>(h.calls.size());
    summary.traces = static_cast<int>(h.traces.size());
    summary.openTraces = static_cast<int>(
        std::count_if(h.traces.begin(), h.traces.end(), [](const demo::Trace& t) { return t.status == "O"; }));
    summary.tracking = static_cast<int>(h.stays.size());
    summary.groups = static_cast<int>(demo::kGroupEvents.size());
    return summary;
}

}  // namespace vv::data
