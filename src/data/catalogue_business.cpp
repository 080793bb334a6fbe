// The six tables of the hotel's business data: accounts, contacts, sales
// calls, traces, daily tracking and group bookings. Widths of numeric fields
// are ours where the data from the full edition leaves them open: money
// N 10,2 or N 12,2, rates N 8,2, counts N 5 or N 7, percentages and averages
// N 6,2.
#include "data/catalogue_parts.h"

#include "data/layout.h"

namespace vv::data::catalogue_parts {

namespace {

// The accounts layout of the tracking window: a superset of the traces
// window's (wider CUSTFLDn, EMAIL after MEMO), so either window finds its fields.
TableDef account() {
    TableDef t;
    t.fileName = "ACCOUNT.DBF";
    t.fields = parseLayout(
        "LOCN C4; LOCCODE C5; FILE_CODE C10; CORP_NO C9; CORP_NO2 C9; CORP_NO3 C9; TEMPACCT C10; "
        "PARENT_ID C4; COMPANY_ID C4; CO_ID2 C4; CO_ID3 C4; CO_ID4 C4; TRAKCODE C8; SIC C3; "
        "ACCT_NAME C50; ADDR1 C40; ADDR2 C40; CITY C25; STATE C2; ZIP C10; COUNTRY C14; C_SAL C4; "
        "C_FIRST C15; C_LAST C20; C_LABEL C25; C_TITLE C40; PHONE C13; C_EXT C6; FAX C13; TOLLFREE C13; "
        "SALES_ID C3; SEGMENT C4; SUB_SEG C4; U_CODE1 C4; U_CODE2 C4; U_CODE3 C4; U_CODE4 C4; "
        "U_CODE5 C4; LAST_CALL D; LAST_BOOK D; LAST_RMS N4; LAST_REV N10,2; LAST_EVENT C6; NEXT_TRACE D; "
        "YTD_ROOMS N7; YTD_RMREV N12,2; YTD_ADR N8,2; STAYS N5; DAYS N5; ALOS N6,2; YTD_STAYS N5; "
        "YTD_DAYS N5; YTD_ALOS N6,2; STAYS_1 N5; DAYS_1 N5; STAYS_2 N5; DAYS_2 N5; STAYS_3 N5; "
        "DAYS_3 N5; STAYS_4 N5; DAYS_4 N5; DBILL C1; DB_NO C8; COMM_RATE C1; COMM_PERC N6,2; "
        "ACCT_STAT C1; RATE_1 C20; RATE_2 C20; RATE_3 C20; RATE_4 C20; RATE_5 C20; RATE_1A N8,2; "
        "RATE_1B N8,2; RATE_1C N8,2; RATE_1D N8,2; RATE_1E N8,2; RATE_2A N8,2; RATE_2B N8,2; "
        "RATE_2C N8,2; RATE_2D N8,2; RATE_2E N8,2; RATE_3A N8,2; RATE_3B N8,2; RATE_3C N8,2; "
        "RATE_3D N8,2; RATE_3E N8,2; RATE_4A N8,2; RATE_4B N8,2; RATE_4C N8,2; RATE_4D N8,2; "
        "RATE_4E N8,2; RATE_5A N8,2; RATE_5B N8,2; RATE_5C N8,2; RATE_5D N8,2; RATE_5E N8,2; RATE_EXP D; "
        "RATE_CODE C2; COMM1 C30; COMM2 C30; COMM3 C30; COMM4 C30; COMM5 C30; TAG C1; MISC C5; "
        "RMVOL_ANN N7; RMVOL_MON N5; LEN_STAY N4; OUTBOUND C1; OUT_DEST C25; EXTSTAY N5; TRANSIENT N5; "
        "GROUP N5; ME_SIZE N4; ME_OVRNITE N4; ME_TYPE C25; ME_NUMANN N4; ME_HOTUSE C60; ME_HOTREA C60; "
        "DEC_MAKER C25; PRESIDENT C25; VP C25; ADMINASST C25; CEO C25; CFO C25; HR C25; TRAV_MGR C25; "
        "TRAV_AGENC C25; LOC_CODE C2; LOC_DESC C15; EMP_CODE C2; NO_EMPS C15; SALES_CODE C2; "
        "SALES_LOC C30; PARENT_CO C25; KEY_ACCT C20; DIRECTION C25; DISTANCE C25; FORT_FLAG C15; "
        "TOT_EMPS C15; SALES_TOT C30; SIC_LABEL C15; SIC_CODE C6; LATITUDE C15; LONGITUDE C15; FLAG C15; "
        "AFFILIATED C40; NEXT_REV D; WEBSITE C30; RATE_PLAN C2; BUSTYPE C30; OFF_TYPE C30; DIVISION C30; "
        "DEPT C30; CO_NEWS C100; RM_POTENT C6; HOW_OFTEN C10; HOW_LONG C5; TRAV_PAT C30; RES_MADEBY C30; "
        "TRANS_POT C1; GROUP_POT C1; EXTSTA_POT C1; SHLDR_POT C1; WKEND_POT C1; RELO C1; CUST_NEED1 C40; "
        "CUST_NEED2 C40; CUST_NEED3 C40; CUST_NEED4 C40; GST_NEED1 C40; GST_NEED2 C40; GST_NEED3 C40; "
        "GST_NEED4 C40; COMP_HOT1 C25; COMP_RATE1 C6; BEN_DISLK1 C50; COMP_HOT2 C25; COMP_RATE2 C6; "
        "BEN_DISLK2 C50; COMP_HOT3 C25; COMP_RATE3 C6; BEN_DISLK3 C50; COMP_HOT4 C25; COMP_RATE4 C6; "
        "BEN_DISLK4 C50; OBJECT_1 C40; OBJECT_2 C40; OBJECT_3 C40; GST_COMPL1 C40; GST_COMPL2 C40; "
        "GST_COMPL3 C40; DEC_MAKING C50; PERSON_INV C50; OS_LOYALTI C50; NETWRK_IN C50; NETWRK_OUT C50; "
        "CUSTFLD1 C70; CUSTFLD2 C70; CUSTFLD3 C70; CUSTFLD4 C70; CUSTFLD5 C70; CUSTFLD6 C70; "
        "CUSTFLD7 C70; CUSTFLD8 C70; CUSTFLD9 C70; CUSTFLD10 C70; CUSTFLD11 C70; CUSTFLD12 C70; "
        "CUSTFLD13 C70; CUSTFLD14 C70; CUSTFLD15 C70; CREATED D; ADDED D; MODIFIED D; EXPORTED D; "
        "VLF C6; ACTION C1; QUALIFIED C1; ADD_METH C1; MEMO M; EMAIL C40");
    t.tags = {
        {"FILE_CODE", "FILE_CODE"},
        {"CORP_NO", "CORP_NO"},
        {"ACCT_NAME", "UPPER(ACCT_NAME)"},
        {"SALES_ID", "SALES_ID"},
        {"COMPANY_ID", "COMPANY_ID"},
        {"CO_ID2", "CO_ID2"},
        {"CO_ID3", "CO_ID3"},
        {"CO_ID4", "CO_ID4"},
    };
    t.encrypted = true;
    t.rebuiltByIndex = true;
    t.indexProgress = "Indexing Accounts...";
    return t;
}

TableDef contacts() {
    TableDef t;
    t.fileName = "CONTACTS.DBF";
    t.fields = parseLayout(
        "LOCN C4; LOCCODE C5; TEMPCONT C10; FILE_CODE C10; CORP_NO C9; CO_ID C4; PARENT_ID C4; "
        "SEGMENT C4; SUB_SEG C4; CON_TYPE C2; ACCT_NAME C40; ADDR1 C40; ADDR2 C40; CITY C25; STATE C2; "
        "ZIP C10; COUNTRY C14; TRAKCODE C8; U_CODE1 C4; U_CODE2 C4; U_CODE3 C4; U_CODE4 C4; U_CODE5 C4; "
        "DEC_MAKER C1; INFLUENCER C1; BOOKER C1; RM_POTENT N5; DEPT C40; C_SAL C4; C_FIRST C15; C_MI C2; "
        "C_LAST C20; C_LABEL C25; C_TITLE C40; C_PHONE C13; C_EXT C6; C_FAX C13; SALES_ID C3; "
        "C_COMMENTS C25; C_COMM2 C25; C_BIRTH C5; EXTSTAY N4; TRANSIENT N4; GROUP N4; TOTAL_RMS N7; "
        "CLUB_NO C6; EMAIL C40; TIME_COMPA C15; CO_ANNIV C15; MARRIED C1; SINGLE C1; DIVORCED C1; "
        "WED_ANNIV C15; CHILDREN C1; CHILD_NAME C40; PETS C40; ORI_FROM C25; COLLEGE C25; RELIGION C20; "
        "FAV_FOOD C20; FAV_DRINK C20; FAV_REST C20; FAV_AUTO C20; FAV_STAR C20; FAV_VACA C20; "
        "HOBBIES C50; TAG C1; VLF C6; REVISED D; ADDED D; ACTION C1; MODIFIED D; EXPORTED D; "
        "ADD_METH C1; MEMO M");
    t.tags = {
        {"FILE_CODE", "FILE_CODE"},
        {"LAST", "UPPER(C_LAST)"},
        {"SALES_ID", "SALES_ID"},
        {"ACCT_NAME", "UPPER(ACCT_NAME)"},
        {"BIRTH", "C_BIRTH"},
    };
    t.encrypted = true;
    t.rebuiltByIndex = true;
    t.indexProgress = "Indexing Contacts...";
    return t;
}

// SOURCE, POSTED_BY and KEY are not in the windows' field lists but are
// read and written by name; they follow ADD_METH.
TableDef salesCalls() {
    TableDef t;
    t.fileName = "SALECALL.DBF";
    t.fields = parseLayout(
        "LOCCODE C5; FILE_CODE C10; DATE D; ACCT_NAME C50; TEMPCALL C10; C_SAL C4; C_FIRST C10; "
        "C_LAST C15; C_PHONE C13; C_EXT C6; C_FAX C13; C_TITLE C40; ADDR1 C30; ADDR2 C30; CITY C20; "
        "STATE C2; ZIP C10; EMAIL C40; U_CODE1 C4; U_CODE2 C4; U_CODE3 C4; U_CODE4 C4; U_CODE5 C4; "
        "EVENT_NO C6; CALL_TYPE C3; SALES_ID C3; SALES_ID2 C3; SEGMENT C4; NEXT_ACT C4; TRACE D; "
        "TRACE_CODE C4; VLF C6; CALL_NO C5; POST_NOTES C1; MEMO M; POSTED_ON D; ADDED D; MODIFIED D; "
        "EXPORTED D; CALLCOUNT N5; ADD_METH C1; SOURCE C2; POSTED_BY C3; KEY C15");
    t.tags = {
        {"FILE_CODE", "FILE_CODE+DTOS(DATE)"},
        {"SALES_ID", "SALES_ID+DTOS(DATE)"},
        {"DATE", "DTOS(DATE)+SALES_ID"},
        {"LASTNAME", "UPPER(C_LAST)+FILE_CODE"},
        {"CALL_TYPE", "CALL_TYPE"},
        {"ACCT_NAME", "ACCT_NAME"},  // case-sensitive, unlike the accounts' tag
        {"DATEDESC", "DTOS(DATE)", true},
        {"FILEDATE", "FILE_CODE+DTOS(DATE)", true},
        {"EVENT_NO", "EVENT_NO+DTOS(DATE)", true},
        {"KEY", "KEY"},
    };
    t.rebuiltByIndex = true;
    t.indexProgress = "Indexing Sales Calls...";
    return t;
}

TableDef traces() {
    TableDef t;
    t.fileName = "TRACES.DBF";
    t.fields = parseLayout(
        "LOCCODE C5; EVENT_NO C6; FILE_CODE C10; TRACE_CODE C4; TRACE_DATE D; TRACE_DESC C20; "
        "C_FIRST C10; C_LAST C15; C_PHONE C13; C_EXT C6; SALES_ID C3; BOOK_NAME C50; COMP_DATE D; "
        "COMP_BY C3; STATUS C1; FROM_ID C3; RETRACED D; U_CODE1 C4; U_CODE2 C4; U_CODE3 C4; U_CODE4 C4; "
        "U_CODE5 C4; COUNT N4; VLF C6; ADDED D; MODIFIED D; EXPORTED D; ADD_METH C1; MEMO M; "
        "ACCT_NAME C50; C_SAL C4; ADDR1 C30; ADDR2 C30; CITY C20; STATE C2; ZIP C10; EMAIL C40; "
        "C_FAX C13; KEY C15");
    t.tags = {
        {"STATUS", "STATUS"},
        {"SALES_ID", "SALES_ID+DTOS(TRACE_DATE)"},
        {"SALES_STAT", "SALES_ID+STATUS+DTOS(TRACE_DATE)"},
        {"LASTNAME", "UPPER(C_LAST)"},
        {"DATE", "DTOS(TRACE_DATE)"},
        {"TRACE_CODE", "TRACE_CODE"},
        {"EVENT_NO", "EVENT_NO+DTOS(TRACE_DATE)"},
        {"FILE_CODE", "FILE_CODE+DTOS(TRACE_DATE)"},
        {"KEY", "KEY"},
    };
    t.rebuiltByIndex = true;
    t.indexProgress = "Indexing Traces...";
    return t;
}

// EXTSTAY ("Y"/"N") is used by the tracking window and the export without
// being in the window's field list; it comes last.
TableDef tracking() {
    TableDef t;
    t.fileName = "SALES.DBF";
    t.fields = parseLayout(
        "LOCCODE C5; LOCN C4; DATE D; DEP_DATE D; REC_TYPE C1; SEGMENT C4; MARK_CODE C4; SOURCE C2; "
        "SEG_TYPE C1; CORP_NO C9; BOOKER_NO C9; EVENT_NO C6; PARENT_ID C4; COMPANY_ID C4; SEC_ID C2; "
        "ROOMS N5; RATE N8,2; RMREV N10,2; BONUS_PTS N7; BON_CODE C2; TOTAL_PTS N7; ACTBIT C1; "
        "SALES_ID C3; U_CODE1 C4; U_CODE2 C4; U_CODE3 C4; U_CODE4 C4; U_CODE5 C4; STATE C2; ZIP C10; "
        "USER C3; RATE_CODE C4; RATE_TIER C1; CONTROL_NO C5; POST_METH C1; KEY C15; ADDED D; "
        "ADD_METH C1; MODIFIED D; EXPORTED D; EXTSTAY C1");
    t.tags = {
        {"DATE", "DTOS(DATE)"},
        {"CORP_NO", "CORP_NO+DTOS(DATE)"},
        {"BOOKER_NO", "BOOKER_NO+DTOS(DATE)"},
        {"KEY", "KEY"},
    };
    t.rebuiltByIndex = true;
    t.indexProgress = "Indexing Tracking File...";
    return t;
}

// Group bookings come from the full edition with their index; the rebuild
// leaves them alone.
TableDef groups() {
    TableDef t;
    t.fileName = "GROUPS.DBF";
    t.fields = parseLayout(
        "LOCCODE C5; LOCNUM C4; FILE_CODE C10; EVENT_NO C6; PARENT_ID C4; PROV_ID C6; COMPANY_ID C4; "
        "TRAKCODE C8; SIC C3; ACCT_NAME C50; BOOK_NAME C50; ADDR1 C30; ADDR2 C30; CITY C20; STATE C2; "
        "ZIP C10; COUNTRY C14; CON1_SAL C4; CON1_FIRST C10; CON1_LAST C12; CON1_LABEL C20; "
        "CON1_PHONE C13; CON1_EXT C4; CON1_TITLE C40; CON1_FAX C13; EMAIL C50; ONSITE_CON C25; "
        "ARR_DATE D; DEP_DATE D; A_TIME C6; D_TIME C6; SING_RATE N8,2; MULT_RATE N8,2; TRIP_RATE N8,2; "
        "QUAD_RATE N8,2; OTH_DESC1 C4; OTH_RATE1 N8,2; OTH_DESC2 C4; OTH_RATE2 N8,2; AV_RATE N8,2; "
        "OTH_RATE N8,2; EST_RM_REV N12,2; NET_RM_REV N12,2; EST_ST_REV N12,2; ACT_RM_REV N12,2; "
        "SALES_ID C3; SALES_ID2 C3; SEGMENT C4; SUB_SEG C4; STATUS C1; CANCEL C1; CAN_CODE C3; "
        "CANCEL_NO C6; DECISION D; CUT_DATE D; CANCEL_BY D; GUAR_DATE D; SG_BLOCK N5; DB_BLOCK N5; "
        "TR_BLOCK N5; QD_BLOCK N5; O1_BLOCK N5; O2_BLOCK N5; RM_BLOCK N5; ORIG_BLOCK N5; SUITES N5; "
        "WASH N4; WASH_RMS N5; GST_FACT N5,2; GUESTS N5; TOT_SG_BLK N7; TOT_DB_BLK N7; TOT_TR_BLK N7; "
        "TOT_QD_BLK N7; TOT_O1_BLK N7; TOT_O2_BLK N7; TOT_SG_PCK N7; TOT_DB_PCK N7; TOT_TR_PCK N7; "
        "TOT_QD_PCK N7; TOT_O1_PCK N7; TOT_O2_PCK N7; TOT_COMPS N4; TOT_PKCOMP N4; TOT_FD_REV N12,2; "
        "TOT_BV_REV N12,2; TOT_RMRENT N12,2; TOT_AVRENT N8,2; TOT_OTHREV N12,2; BOOK_DATE D; REV_DATE D; "
        "RESV_METH C1; RESV_TYPE C3; REV_BY C3; CAN_DATE D; CAN_BY C3; CONV_CODE C8; ORIGIN C4; "
        "QUALITY C1; COMMENT_1 C50; COMMENT_2 C50; COMMENT_3 C50; COMMENT_4 C50; COMMENT_5 C50; "
        "TAC N6,2; RMTAX_M C1; RMTAX_I C1; INCID_M C1; INCID_I C1; MEALS_M C1; MEALS_I C1; "
        "CATERING_M C1; CATERING_I C1; ROOM_TAX N6,2; OCC_TAX N6,2; BAGGAGE N8,2; BAG_UNIT C6; "
        "PORTERAGE C15; OTHER_1 C40; OTHER_2 C40; AUTH_SIG1 C20; AUTH_SIG2 C20; PAY_METH1 C25; "
        "PAY_METH2 C25; DIR_BILL C1; CREDIT_AP C1; CREDIT_LI N10,2; ADV_PAY C1; PAY_AMT N10,2; "
        "PAY_AMT2 N10,2; PAY_AMT3 N10,2; PAY_CKOUT C1; DEPOSIT_BY D; DEPOSIT_2 D; DEPOSIT_3 D; "
        "DEPOSIT_4 D; DEP1_RECV L; DEP2_RECV L; DEP3_RECV L; CC C1; CC_TYPE C2; CC_NO C16; CC_EXP C5; "
        "CC_NAME C20; AR_ID C8; EXEMPT C1; IATA C9; RM_LIST D; NEW_REPEAT C1; TAG C1; I_TAG C1; VLF C6; "
        "EVENT_HD C15; PRT_CONTR C1; NTP_CONTR C1; MEET_FLAG C1; GRP_TYPE C1; BOOK_TYPE C1; MEMO M");
    t.tags = {
        {"FILE_CODE", "FILE_CODE+EVENT_NO"},
        {"BOOK_NAME", "BOOK_NAME"},
        {"EVENT_NO", "EVENT_NO"},
        {"ARRIVAL", "ARR_DATE"},
        {"FILE_DATE", "FILE_CODE+DTOS(ARR_DATE)"},
    };
    return t;
}

}  // namespace

std::vector<TableDef> businessTables() {
    return {account(), contacts(), salesCalls(), traces(), tracking(), groups()};
}

}  // namespace vv::data::catalogue_parts
