// Code, system and exchange tables. Widths the data leaves open are chosen
// to hold the codes and texts of the matching fields of the business tables.
#include "data/catalogue_parts.h"

#include <algorithm>
#include <string>

#include "data/layout.h"
#include "db/error.h"

namespace vv::data::catalogue_parts {

namespace {

TableDef table(std::string fileName, std::string_view layout, std::vector<TagDef> tags = {},
               std::string indexProgress = {}) {
    TableDef t;
    t.fileName = std::move(fileName);
    t.fields = parseLayout(layout);
    t.tags = std::move(tags);
    t.rebuiltByIndex = !indexProgress.empty();
    t.indexProgress = std::move(indexProgress);
    return t;
}

// A tag whose key is the field of the same name.
TagDef onField(std::string name) { return {name, name}; }

TableDef userCodes(int n) {
    const std::string d = std::to_string(n);
    return table("UFILE" + d + ".DBF", "U_CODE" + d + " C4; U_NAME" + d + " C25", {onField("U_CODE" + d)},
                 "Indexing User Code File " + d + "...");
}

const TableDef& source(const std::vector<TableDef>& tables, std::string_view fileName) {
    auto it = std::find_if(tables.begin(), tables.end(), [&](const TableDef& t) { return t.fileName == fileName; });
    if (it == tables.end()) throw db::Error(db::ErrorKind::FileNotFound, "No table " + std::string(fileName));
    return *it;
}

// An export table: the named fields of its source, typed and sized as there,
// indexed like its source.
TableDef exportOf(const TableDef& from, std::string fileName, std::string_view fieldNames, std::string indexProgress) {
    TableDef t;
    t.fileName = std::move(fileName);
    t.folder = TableFolder::Export;
    t.fields = pickFields(from.fields, fieldNames, from.fileName);
    t.tags = from.tags;
    t.rebuiltByIndex = true;
    t.indexProgress = std::move(indexProgress);
    return t;
}

}  // namespace

std::vector<TableDef> codeTables() {
    std::vector<TableDef> v;
    v.push_back(table("SALECODE.DBF", "SALE_CODE C3; SALE_DESC C20; MON_GOALS N5; POINTS N4; KEY_CODE C1; TEST C10",
                      {onField("SALE_CODE")}, "Indexing Sales Call Codes..."));
    v.push_back(table("TRACCODE.DBF", "TR_CODE C4; TR_DESC C20", {onField("TR_CODE")}, "Indexing Trace Codes..."));
    v.push_back(table("MASTPER.DBF", "LOCCODE C5; SFIRST C10; SLAST C15; SALES_ID C3; TITLE C30; EMAIL C50",
                      {onField("SALES_ID")}, "Indexing Salesperson File..."));
    v.push_back(table("MASTSEG.DBF", "SEGMENT C4; SEGNAME C25; TYPE C1",
                      {onField("SEGMENT"), {"TYPE", "TYPE+SEGMENT"}}, "Indexing Market Segment File..."));
    TableDef rates = table("RATECODE.DBF", "CODE C4; DESC C25", {onField("CODE")}, "Indexing Rate Codes...");
    rates.optional = true;
    v.push_back(std::move(rates));
    v.push_back(table("TITLES.DBF", "TITLE_NAME C40", {onField("TITLE_NAME")}, "Indexing Contact Title File..."));
    v.push_back(table("DEPTS.DBF", "DEP_NAME C40", {onField("DEP_NAME")}, "Indexing Contact Department File..."));
    for (int n = 1; n <= 5; ++n) v.push_back(userCodes(n));
    v.push_back(table("HOTELS2.DBF", "CODE C4; DESC C25"));
    v.push_back(table("LETTERS.DBF", "FILE_NAME C80"));
    return v;
}

std::vector<TableDef> systemTables() {
    std::vector<TableDef> v;
    // Created by the program itself when missing, with exactly these fields.
    TableDef sysPath = table("SYSPATH.DBF",
                             "HOT_NAME C50; DRIVE C1; UNC_PATH C50; PROG_PATH C50; REP_PATH C50; "
                             "CONT_PATH C50; WEB_PATH C50; MISC C50");
    sysPath.folder = TableFolder::Program;
    v.push_back(std::move(sysPath));
    v.push_back(table("SYSTEM.DBF",
                      "BACKUPTO C1; USER_FLD1 C15; USER_FLD2 C15; USER_FLD3 C15; USER_FLD4 C15; USER_FLD5 C15; "
                      "KEEP_FLDS C1; PROG_PATH C80"));
    v.push_back(table("LOCINFO.DBF",
                      "LOCCODE C5; LOCNAM C50; RESTNAME C50; LOCADDR C50; LOCCITY C25; LOCSTATE C2; LOCZIP C10; "
                      "LOC_TYPE C10; TIER1_RMS N5; TIER2_RMS N5; TIER3_RMS N5"));
    return v;
}

std::vector<TableDef> exchangeTables(const std::vector<TableDef>& business) {
    std::vector<TableDef> v;
    v.push_back(table("BKUPDATE.DBF", "EXPDATE D"));
    TableDef lite = table("LITEEXP.DBF", "LITEEXPORT C80; LITEIMPORT C80");
    lite.optional = true;
    v.push_back(std::move(lite));
    v.push_back(exportOf(source(business, "SALECALL.DBF"), "EXPCALLS.DBF",
                         "LOCCODE, FILE_CODE, DATE, ACCT_NAME, C_SAL, C_FIRST, C_LAST, C_PHONE, C_EXT, C_FAX, "
                         "C_TITLE, ADDR1, ADDR2, CITY, STATE, ZIP, EMAIL, U_CODE1, U_CODE2, U_CODE3, U_CODE4, "
                         "U_CODE5, EVENT_NO, CALL_TYPE, SALES_ID, SALES_ID2, SEGMENT, TRACE, TRACE_CODE, "
                         "POST_NOTES, MEMO, POSTED_ON, ADDED, MODIFIED, EXPORTED, ADD_METH, SOURCE, POSTED_BY, KEY",
                         "Indexing Sales Calls Export..."));
    v.push_back(exportOf(source(business, "TRACES.DBF"), "EXPTRACE.DBF",
                         "LOCCODE, EVENT_NO, FILE_CODE, TRACE_CODE, TRACE_DATE, TRACE_DESC, ACCT_NAME, C_SAL, "
                         "C_FIRST, C_LAST, C_PHONE, C_EXT, C_FAX, SALES_ID, BOOK_NAME, COMP_DATE, COMP_BY, STATUS, "
                         "FROM_ID, ADDR1, ADDR2, CITY, STATE, ZIP, EMAIL, U_CODE1, U_CODE2, U_CODE3, U_CODE4, "
                         "U_CODE5, MEMO, ADDED, MODIFIED, EXPORTED, ADD_METH, KEY",
                         "Indexing Traces Export..."));
    v.push_back(exportOf(source(business, "SALES.DBF"), "EXPSALES.DBF",
                         "LOCCODE, DATE, SEGMENT, MARK_CODE, SOURCE, SEG_TYPE, CORP_NO, BOOKER_NO, EVENT_NO, "
                         "PARENT_ID, COMPANY_ID, SALES_ID, SEC_ID, ROOMS, RATE, RMREV, BONUS_PTS, BON_CODE, "
                         "TOTAL_PTS, U_CODE1, U_CODE2, U_CODE3, U_CODE4, U_CODE5, STATE, ZIP, USER, RATE_CODE, "
                         "RATE_TIER, CONTROL_NO, POST_METH, KEY, ADDED, MODIFIED, EXPORTED, ADD_METH, EXTSTAY",
                         "Indexing Tracking File Export..."));
    return v;
}

}  // namespace vv::data::catalogue_parts
