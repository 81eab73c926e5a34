#include "platform/dao/dao_exception.h"

namespace {
constexpr HRESULT kDaoErrorScode = static_cast<HRESULT>(0x800A0000);  // the engine's errors as HRESULTs
}

CDaoException::CDaoException(long errorCode, const CString& description)
    : m_pErrorInfo(new CDaoErrorInfo), m_scode(kDaoErrorScode | static_cast<HRESULT>(errorCode)), m_nAfxDaoError(0)
{
    m_pErrorInfo->m_lErrorCode = errorCode;
    m_pErrorInfo->m_strSource = "DAO.Database";
    m_pErrorInfo->m_strDescription = description;
}

CDaoException::~CDaoException()
{
    delete m_pErrorInfo;
}

void CDaoException::GetErrorInfo(int) {}

void AfxThrowDaoException(long errorCode, const CString& description)
{
    throw new CDaoException(errorCode, description);
}
