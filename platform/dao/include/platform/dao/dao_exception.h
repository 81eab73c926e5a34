// The framework's exception of the data-access classes. It is thrown as a pointer made with new, as
// the framework throws it; the catcher calls Delete().
#pragma once

#include "platform/ui/afx_string.h"
#include "platform/win/win_types.h"

// The engine's error numbers that these classes raise.
constexpr long kDaoNoCurrentRecord = 3021;      // "No current record."
constexpr long kDaoFileNotFound = 3024;         // "Could not find file '%s'."
constexpr long kDaoCannotOpenFile = 3051;       // the file exists but cannot be opened
constexpr long kDaoTableNotFound = 3078;        // the input table or query does not exist
constexpr long kDaoNotSupported = 3251;         // "Operation is not supported for this type of object."
constexpr long kDaoItemNotFound = 3265;         // "Item not found in this collection."
constexpr long kDaoUnrecognizedFormat = 3343;   // "Unrecognized database format '%s'."
constexpr long kDaoObjectClosed = 3420;         // "Object invalid or no longer set."

struct CDaoErrorInfo {
    long m_lErrorCode = 0;
    CString m_strSource;
    CString m_strDescription;
    CString m_strHelpFile;
    long m_lHelpContext = 0;
};

class CDaoException {
public:
    CDaoException(long errorCode, const CString& description);
    virtual ~CDaoException();
    CDaoException(const CDaoException&) = delete;
    CDaoException& operator=(const CDaoException&) = delete;

    // Frees a caught exception.
    void Delete() { delete this; }
    short GetErrorCount() const { return 1; }
    void GetErrorInfo(int index);  // the one error is always in m_pErrorInfo

    CDaoErrorInfo* m_pErrorInfo;
    HRESULT m_scode;
    int m_nAfxDaoError;
};

// Throws new CDaoException for the engine's error number.
[[noreturn]] void AfxThrowDaoException(long errorCode, const CString& description);
