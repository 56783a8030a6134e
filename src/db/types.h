// ADO's enumerations, with ADO's values, so that code reads like the ADO calls it mirrors.
#pragma once

namespace db {

enum DataType : int {
    adEmpty = 0,
    adSmallInt = 2,
    adInteger = 3,
    adSingle = 4,
    adDouble = 5,
    adCurrency = 6,
    adDate = 7,
    adBSTR = 8,
    adBoolean = 11,
    adTinyInt = 17,
    adBigInt = 20,
    adGUID = 72,
    adBinary = 128,
    adChar = 129,
    adWChar = 130,
    adNumeric = 131,
    adDBDate = 133,
    adDBTime = 134,
    adDBTimeStamp = 135,
    adVarChar = 200,
    adLongVarChar = 201,
    adVarWChar = 202,
    adLongVarWChar = 203,
    adVarBinary = 204,
    adLongVarBinary = 205,
};

enum CursorLocation : int { adUseServer = 2, adUseClient = 3 };

enum CursorType : int {
    adOpenUnspecified = -1,
    adOpenForwardOnly = 0,
    adOpenKeyset = 1,
    adOpenDynamic = 2,
    adOpenStatic = 3,
};

enum LockType : int { adLockUnspecified = -1, adLockReadOnly = 1, adLockOptimistic = 3 };

enum ObjectState : int { adStateClosed = 0, adStateOpen = 1 };

// ADO's error numbers for the failures this layer reports.
enum ErrorNumber : int {
    kProviderError = -2147467259,       // 0x80004005: cannot open, generic provider failure
    kErrorsInCommand = -2147217900,     // 0x80040E14: the statement is rejected
    kIntegrityViolation = -2147217873,  // 0x80040E2F: a constraint failed
    kTimeout = -2147217871,             // 0x80040E31: the database stayed busy
    kItemNotFound = -2146825023,        // 0x800A0CC1: no field of that name or ordinal
    kNoCurrentRecord = -2146825267,     // 0x800A0BCD: BOF or EOF is true
    kClosedObject = -2146824584,        // 0x800A0E78: operation not allowed when closed
    kOpenObject = -2146824583,          // 0x800A0E79: operation not allowed when open
    kProviderNotFound = -2146824582,    // 0x800A0E7A: provider cannot be found
    kNoTransaction = -2147168242,       // 0x8004D00E: commit or rollback without a transaction
};

}  // namespace db
