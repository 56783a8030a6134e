-- Payroll (wage accounting) tables of the ERP database, declared as its SQL Server database
-- declares them, in its mixed case: the statements write some names in another case (the kest
-- export selects department.cdepname and finds the column by that exact spelling).
-- Module setting keys compare case-insensitively, as under the ERP's collation.

CREATE TABLE accinformation (
    cSysID   varchar(2)   COLLATE NOCASE NOT NULL,
    cName    varchar(50)  COLLATE NOCASE NOT NULL,
    cValue   nvarchar(100),
    PRIMARY KEY (cSysID, cName)
);

CREATE TABLE Department (
    cDepCode  varchar(12)  NOT NULL PRIMARY KEY,
    cDepName  nvarchar(50) NOT NULL,
    bDepEnd   bit          NOT NULL
);

CREATE TABLE GL_mend (
    iperiod   smallint NOT NULL,
    bflag_WA  bit      NOT NULL DEFAULT 0
);

CREATE TABLE pubperson (
    cPsn_Num     varchar(20)  NOT NULL PRIMARY KEY,
    cPsn_Name    nvarchar(40) NOT NULL,
    rPersonType  varchar(12)
);

CREATE TABLE hr_hi_person (
    cPsn_Num        varchar(20)  NOT NULL PRIMARY KEY,
    cPsnMobilePhone varchar(30)
);

CREATE TABLE WA_grade (
    iPsnGrd_id  int          NOT NULL PRIMARY KEY,
    cPsnGrd     nvarchar(20) NOT NULL,
    rPersonType varchar(12)
);

CREATE TABLE WA_account (
    cGZGradeNum  varchar(3)   NOT NULL PRIMARY KEY,
    cGZGradeName nvarchar(30) NOT NULL,
    iLastYear    smallint     NOT NULL,
    iLastMonth   smallint     NOT NULL,
    iPsn_len     smallint     NOT NULL DEFAULT 4
);

CREATE TABLE WA_dept (
    cGZGradeNum varchar(3)  NOT NULL,
    cDept_Num   varchar(12) NOT NULL,
    PRIMARY KEY (cGZGradeNum, cDept_Num)
);

CREATE TABLE WA_PsnMsg (
    iNum     smallint     NOT NULL PRIMARY KEY,
    cMsgName nvarchar(30) NOT NULL
);

CREATE TABLE WA_psn (
    i_id        integer      PRIMARY KEY AUTOINCREMENT,
    cGZGradeNum varchar(3)   NOT NULL,
    cPsn_Num    varchar(20)  NOT NULL,
    cPsn_Name   nvarchar(40),
    cLkxcode    varchar(20),
    cDept_num   varchar(12),
    iPsnGrd_id  int,
    cAccount    varchar(30),
    dInTime     datetime,
    dGZTFTime   datetime,
    cMemo       nvarchar(100),
    bForeign    bit          NOT NULL DEFAULT 0,
    bTaxBz      bit          NOT NULL DEFAULT 1,
    bPRCal      bit          NOT NULL DEFAULT 0,
    iPsnMove    smallint     NOT NULL DEFAULT 0,
    M1 nvarchar(60), M2 nvarchar(60), M3 nvarchar(60), M4 nvarchar(60), M5 nvarchar(60),
    M6 nvarchar(60), M7 nvarchar(60), M8 nvarchar(60),
    UNIQUE (cGZGradeNum, cPsn_Num)
);

CREATE TABLE WA_GZItem (
    iGZItem_id  smallint     NOT NULL PRIMARY KEY
);

CREATE TABLE WA_GZtblset (
    cGZGradeNum     varchar(3)   NOT NULL,
    iGZItem_id      smallint     NOT NULL,
    cSetGZItemName  nvarchar(30) NOT NULL,
    iSetGZItemStyle smallint     NOT NULL,
    PRIMARY KEY (cGZGradeNum, iGZItem_id)
);

CREATE TABLE WA_GZData (
    cGZGradeNum varchar(3)   NOT NULL,
    cDept_Num   varchar(12)  NOT NULL,
    cPsn_Num    varchar(20)  NOT NULL,
    cPsn_Name   nvarchar(40),
    iPsnGrd_id  int,
    bDCBZ       bit          NOT NULL DEFAULT 0,
    bTFBZ       bit          NOT NULL DEFAULT 0,
    iYear       smallint     NOT NULL,
    iMonth      smallint     NOT NULL,
    iAccMonth   smallint,
    F_1  money,  F_2  money,  F_3  money,  F_4  float, F_5 float, F_6 money,
    F_7  money,  F_8  money,  F_9  money,  F_10 nvarchar(50), F_11 money, F_12 money,
    F_13 float,  F_14 float,  F_15 float,  F_16 float, F_17 float, F_18 float, F_19 float,
    F_20 float
);
CREATE INDEX WA_GZData_key ON WA_GZData (cGZGradeNum, cPsn_Num, iYear, iMonth);

-- The lookups of the record checks and the exports, so that none scans a whole table.
CREATE INDEX WA_account_name ON WA_account (cGZGradeName);
CREATE INDEX GL_mend_period ON GL_mend (iperiod);
CREATE INDEX WA_grade_name ON WA_grade (cPsnGrd);
CREATE INDEX WA_grade_type ON WA_grade (rPersonType);
CREATE INDEX WA_GZtblset_name ON WA_GZtblset (cSetGZItemName);
CREATE INDEX WA_GZtblset_item ON WA_GZtblset (iGZItem_id);
CREATE INDEX WA_PsnMsg_name ON WA_PsnMsg (cMsgName);
CREATE INDEX WA_psn_person ON WA_psn (cPsn_Num);
