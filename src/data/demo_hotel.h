// The sample hotel of fillDemoData, made up in memory before anything is
// written: accounts first, then the calls, traces and stays that refer to
// them, so the accounts can carry the summaries the program keeps on them
// (last call, next trace, year-to-date rooms). Internal to src/data.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "data/data_folder.h"
#include "db/date.h"

namespace vv::data::demo {

struct Person {
    std::string salutation, first, last, title, department, phone, ext, email, birthday;
    bool decisionMaker = false;
};

struct Account {
    std::string fileCode, corpNo, companyId, name, addr1, addr2, city, state, zip, country, region, phone, fax;
    std::string salesId, segment, website, email;
    std::array<std::string, 5> userCodes;
    std::vector<Person> contacts;
    db::Date created, lastCall, nextTrace, lastBook;
    int lastRooms = 0;
    double lastRevenue = 0;
    long ytdRooms = 0;
    double ytdRevenue = 0;
    std::string eventNo;  // of its group booking, if any
    db::Date eventArrival;
};

struct Call {
    int account = 0, contact = 0;
    db::Date date, trace, modified;
    int type = 0;
    std::string traceCode, memo, key, eventNo;
};

struct Trace {
    int account = 0, contact = 0;
    db::Date date, completed, added, modified;
    std::string code, description, status, memo, key, addMethod, salesId, eventNo;
};

struct Stay {
    int account = 0, booker = -1, nights = 1, rooms = 1, rateCode = 0;
    db::Date date;
    double rate = 0;
    std::string key, tier;
};

struct Hotel {
    db::Date today;
    db::Date lastExport;  // the last export before today: BKUPDATE's date
    std::vector<Account> accounts;
    std::vector<Call> calls;
    std::vector<Trace> traces;
    std::vector<Stay> stays;
};

// The same hotel for the same `today` and scale.
Hotel makeHotel(db::Date today, const DemoScale& scale);

// The EXPORTED stamp an export on `lastExport` left on a record last changed
// on `modified`: empty when the change came later.
db::Date exportedStamp(db::Date modified, db::Date lastExport);

}  // namespace vv::data::demo
