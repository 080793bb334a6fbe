// The fixed texts the sample hotel is made of: the hotel, its salespeople,
// code tables, companies, people and the phrases sales notes are built from.
// Internal to the demo (data_folder.h). All texts fit Windows-1252 and the
// narrowest field they go into.
#pragma once

#include <array>
#include <string_view>

namespace vv::data::demo {

using Text = std::string_view;

struct Location {
    Text code, name, restaurant, address, city, state, zip, type;
    int tier1, tier2, tier3;
};
inline constexpr Location kLocation = {"HVH01", "Harbour View Hotel & Suites", "The Quarterdeck Grill",
                                       "1200 Waterfront Drive", "Portland", "OR", "97209", "FULL", 40, 25, 10};

// Captions of the user code fields U_CODE1 ... U_CODE5.
inline constexpr std::array<Text, 5> kUserFieldLabels = {"Industry", "Lead Source", "Region", "Potential",
                                                         "Competitor"};

struct Salesperson { Text id, first, last, title, email; };
// "XXX" is the program's own user.
inline constexpr std::array<Salesperson, 5> kSalespeople = {{
    {"XXX", "Alex", "Morgan", "Director of Sales", "amorgan@harbourview.example"},
    {"JDU", "Julie", "Dubois", "Senior Sales Manager", "jdubois@harbourview.example"},
    {"RKO", "Robert", "Kowalski", "Sales Manager", "rkowalski@harbourview.example"},
    {"TLU", "Thomas", "Lübke", "Sales Manager", "tluebke@harbourview.example"},
    {"SAN", "Sofía", "Añez", "Catering Sales Manager", "sanez@harbourview.example"},
}};
// The salespeople who own accounts (the catering manager handles groups).
inline constexpr int kAccountOwners = 4;

struct CallType { Text code, description, verb; int monthlyGoal, points, weight; };
inline constexpr std::array<CallType, 8> kCallTypes = {{
    {"TEL", "Telephone Call", "Called", 40, 1, 30},
    {"EML", "E-mail", "E-mailed", 40, 1, 20},
    {"VIS", "Site Visit", "Showed the hotel to", 12, 5, 10},
    {"SAL", "Sales Call", "Met with", 15, 3, 15},
    {"MAI", "Mailing", "Mailed our brochure to", 20, 1, 8},
    {"ENT", "Entertainment", "Hosted lunch with", 4, 4, 5},
    {"PRO", "Proposal Sent", "Sent a proposal to", 8, 3, 8},
    {"TRS", "Trade Show", "Met at the trade show:", 2, 2, 4},
}};

struct Code { Text code, description; };
inline constexpr std::array<Code, 7> kTraceCodes = {{
    {"CALL", "Call Back"}, {"SEND", "Send Information"}, {"VISI", "Schedule Visit"}, {"PROP", "Follow Up Proposal"},
    {"CONT", "Contract Follow-up"}, {"BDAY", "Birthday Card"}, {"RFP", "RFP Due"},
}};

struct Segment { Text code, name, type; };
inline constexpr std::array<Segment, 8> kSegments = {{
    {"CORP", "Corporate Transient", "T"}, {"GOVT", "Government", "T"}, {"LNR", "Local Negotiated Rate", "T"},
    {"LEIS", "Leisure", "T"}, {"XSTY", "Extended Stay", "T"}, {"CGRP", "Corporate Group", "G"},
    {"ASSN", "Association Group", "G"}, {"SMRF", "SMERF Group", "G"},
}};
// Segments of accounts, by weight of how often they occur.
inline constexpr std::array<Text, 8> kAccountSegments = {"CORP", "CORP", "CORP", "LNR", "LNR", "GOVT", "XSTY", "CGRP"};

struct RateCode { Text code, description; double rate; };
inline constexpr std::array<RateCode, 7> kRateCodes = {{
    {"RACK", "Rack Rate", 189.00}, {"CORP", "Corporate Rate", 149.00}, {"LNR1", "Local Negotiated Tier 1", 129.00},
    {"LNR2", "Local Negotiated Tier 2", 139.50}, {"GOV", "Government Per Diem", 119.00},
    {"XST", "Extended Stay 7+ Nights", 109.00}, {"GRP", "Group Rate", 125.00},
}};

inline constexpr std::array<Text, 9> kTitles = {
    "Travel Manager", "Office Manager", "Executive Assistant", "Director of Operations", "Meeting Planner",
    "HR Director", "Chief Executive Officer", "Purchasing Manager", "Vice President, Sales"};
inline constexpr std::array<Text, 7> kDepartments = {"Human Resources", "Finance", "Operations", "Travel",
                                                     "Sales", "Executive Office", "Engineering"};
inline constexpr std::array<Text, 3> kLetters = {"Thank You.rtf", "Proposal.rtf", "Welcome Letter.rtf"};

// User code tables 1 to 5.
inline constexpr std::array<Code, 9> kIndustries = {{
    {"TECH", "Technology"}, {"MFG", "Manufacturing"}, {"HLTH", "Healthcare"}, {"FIN", "Finance & Insurance"},
    {"EDU", "Education"}, {"GOV", "Government"}, {"ENGY", "Energy"}, {"LGL", "Legal & Consulting"},
    {"FOOD", "Food & Beverage"},
}};
inline constexpr std::array<Code, 5> kLeadSources = {{
    {"REF", "Referral"}, {"WEB", "Website Inquiry"}, {"COLD", "Cold Call"}, {"TRDS", "Trade Show"},
    {"CVB", "Convention Bureau"},
}};
inline constexpr std::array<Code, 6> kRegions = {{
    {"NW", "Northwest"}, {"SW", "Southwest"}, {"MW", "Midwest"}, {"NE", "Northeast"}, {"SE", "Southeast"},
    {"INTL", "International"},
}};
inline constexpr std::array<Code, 3> kPotentials = {{{"HIGH", "High"}, {"MED", "Medium"}, {"LOW", "Low"}}};
// Also the competing hotels of HOTELS2, but for "NONE".
inline constexpr std::array<Code, 5> kCompetitors = {{
    {"RIVR", "Riverside Inn & Suites"}, {"PARK", "Parkside Grand Hotel"}, {"PEAR", "Pearl District Lodge"},
    {"AIRP", "Airport Gateway Hotel"}, {"NONE", "None"},
}};

struct City { Text name, state, zipPrefix, country, region, phoneArea; };
inline constexpr std::array<City, 14> kCities = {{
    {"Portland", "OR", "972", "USA", "NW", "503"},      {"Beaverton", "OR", "970", "USA", "NW", "503"},
    {"Hillsboro", "OR", "971", "USA", "NW", "503"},     {"Vancouver", "WA", "986", "USA", "NW", "360"},
    {"Seattle", "WA", "981", "USA", "NW", "206"},       {"Salem", "OR", "973", "USA", "NW", "503"},
    {"Boise", "ID", "837", "USA", "MW", "208"},         {"San Francisco", "CA", "941", "USA", "SW", "415"},
    {"Denver", "CO", "802", "USA", "MW", "303"},        {"Boston", "MA", "021", "USA", "NE", "617"},
    {"Montréal", "QC", "H2Y", "Canada", "INTL", "514"}, {"Stuttgart", "", "701", "Germany", "INTL", "+49"},
    {"Wien", "", "101", "Austria", "INTL", "+43"},      {"Zürich", "", "800", "Switzerland", "INTL", "+41"},
}};
// Cities an account lands in when it has none of its own.
inline constexpr int kHomeCities = 10;

struct Company { Text name, industry; int city; };  // city -1: one of the home cities
inline constexpr std::array<Company, 40> kCompanies = {{
    {"Acme Precision Tools", "MFG", -1},           {"Blue Heron Software", "TECH", -1},
    {"Café Müller Roasters", "FOOD", 0},           {"Cascade Health Partners", "HLTH", -1},
    {"Columbia River Bank", "FIN", 3},             {"Summit Energy Group", "ENGY", -1},
    {"Société Bélanger Conseil", "LGL", 10},       {"Brückner Präzisionstechnik", "MFG", 11},
    {"Pacific Northwest University", "EDU", 0},    {"Oregon Dept. of Transportation", "GOV", 5},
    {"Evergreen Logistics", "MFG", -1},            {"Nordström & Lund Architects", "LGL", 4},
    {"Willamette Valley Vineyards Co.", "FOOD", 5}, {"Rainier Medical Devices", "HLTH", 4},
    {"Greenleaf Insurance", "FIN", -1},            {"Ironwood Construction", "MFG", -1},
    {"Lumière Film Studios", "TECH", 7},           {"Harbor Freight Lines", "MFG", 0},
    {"Silverline Telecom", "TECH", -1},            {"Mount Hood Credit Union", "FIN", 0},
    {"Zoë's Event Design", "FOOD", 0},             {"Bridgetown Legal Group", "LGL", 0},
    {"Northwind Aerospace", "MFG", 4},             {"Crème de la Crème Catering", "FOOD", 1},
    {"Cedar Ridge Hospital", "HLTH", -1},          {"Pioneer Solar Systems", "ENGY", 6},
    {"Jürgens & Partner Consulting", "LGL", 13},   {"Trailhead Outdoor Gear", "MFG", 1},
    {"Portland Public Schools", "EDU", 0},         {"Federal Aviation Services", "GOV", -1},
    {"Quantum Data Analytics", "TECH", 2},         {"Riverbend Pharmaceuticals", "HLTH", 9},
    {"€-Saver Travel Club", "FIN", 0},             {"Timberline Paper Company", "MFG", -1},
    {"Union Pacific Shipping", "MFG", 3},          {"Vista Biotech", "HLTH", 7},
    {"Westside Dental Group", "HLTH", 1},          {"Yamhill Organic Foods", "FOOD", 5},
    {"Österreich Trade Council", "GOV", 12},       {"Bayside Marketing Agency", "TECH", 8},
}};

inline constexpr std::array<Text, 10> kStreets = {
    "Commerce Way", "Industrial Parkway", "Harbor Boulevard", "Oak Avenue", "Broadway",
    "Market Street", "Pine Street", "Lakeview Drive", "Technology Loop", "Front Avenue"};

struct FirstName { Text name, salutation; };
inline constexpr std::array<FirstName, 30> kFirstNames = {{
    {"Anna", "Ms."},   {"Brian", "Mr."},  {"Carmen", "Ms."}, {"David", "Mr."},    {"Elena", "Ms."},
    {"François", "Mr."}, {"Grace", "Ms."}, {"Hannah", "Ms."}, {"Ian", "Mr."},     {"José", "Mr."},
    {"Karen", "Ms."},  {"Liam", "Mr."},   {"Marta", "Ms."},  {"Noah", "Mr."},     {"Olivia", "Ms."},
    {"Peter", "Mr."},  {"Renée", "Ms."},  {"Sarah", "Ms."},  {"Søren", "Mr."},    {"Tom", "Mr."},
    {"Ursula", "Ms."}, {"Victor", "Mr."}, {"Wendy", "Ms."},  {"Zoë", "Ms."},      {"Jürgen", "Mr."},
    {"Mei", "Ms."},    {"Raj", "Mr."},    {"Aisha", "Ms."},  {"Hélène", "Ms."},   {"Mark", "Mr."},
}};
inline constexpr std::array<Text, 30> kLastNames = {
    "Anderson", "Bauer", "Chen", "Dubois", "Evans", "Fischer", "García", "Hoffmann", "Ibáñez", "Johnson",
    "Kim", "Lefèvre", "Martin", "Nguyen", "O'Brien", "Patel", "Quinn", "Rossi", "Schröder", "Thompson",
    "Underwood", "Vogel", "Walsh", "Yamamoto", "Zimmermann", "Müller", "Nakamura", "Larsen", "Novak", "Brennan"};

inline constexpr std::array<Text, 10> kTopics = {
    "their corporate rate for next year",
    "a training block of 15 rooms in March",
    "meeting space for a board retreat",
    "extended-stay options for relocating staff",
    "feedback on their last group stay",
    "the new rooftop restaurant for client dinners",
    "dates for their holiday party",
    "a quote for the Frankfurt team in euros (€ 139 per night)",
    "moving their overflow from the Riverside Inn",
    "airport shuttle times for early flights"};
inline constexpr std::array<Text, 8> kOutcomes = {
    "Very positive, wants a proposal by Friday.",
    "Asked us to call back after budget approval.",
    "Sending the rate sheet and floor plans.",
    "Books through their travel agency for now.",
    "Already booked two rooms for next week.",
    "Not the decision maker; referred me to procurement.",
    "Happy with the service, no changes needed.",
    "Comparing us with the Parkside Grand; price is the issue."};

// Group bookings; account is an index into kCompanies, arrival is counted
// from today; status D definite, T tentative, P prospect.
struct GroupEvent { Text name, segment, status; int account, arrivalOffset, nights, rooms; double rate; };
inline constexpr std::array<GroupEvent, 6> kGroupEvents = {{
    {"Annual Sales Kickoff", "CGRP", "D", 1, -35, 3, 45, 139.00},
    {"Regional Leadership Summit", "CGRP", "D", 22, 12, 2, 30, 145.00},
    {"Müller & Chen Wedding", "SMRF", "D", 2, 26, 2, 20, 129.00},
    {"Pacific Medical Conference", "ASSN", "T", 3, 58, 4, 80, 135.00},
    {"Board of Directors Retreat", "CGRP", "T", 4, 75, 2, 12, 169.00},
    {"Holiday Gala Dinner", "CGRP", "P", 21, 88, 1, 25, 119.00},
}};

}  // namespace vv::data::demo
