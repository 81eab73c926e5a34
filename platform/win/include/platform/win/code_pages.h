// Conversions between the code pages and UTF-16. The ANSI code page of this machine is 936
// (simplified Chinese, GBK), as the product's users have it.
#pragma once

#include "platform/win/last_error.h"
#include "platform/win/win_types.h"

constexpr UINT CP_ACP = 0;
constexpr UINT CP_OEMCP = 1;
constexpr UINT CP_THREAD_ACP = 3;
constexpr UINT CP_GBK = 936;
constexpr UINT CP_UTF8 = 65001;

constexpr DWORD MB_ERR_INVALID_CHARS = 0x00000008;
constexpr LONG ERROR_NO_UNICODE_TRANSLATION = 1113;

// 936.
UINT GetACP();
UINT GetOEMCP();

// The ANSI and OEM code pages (CP_ACP, CP_OEMCP, CP_THREAD_ACP, 936) and CP_UTF8; any other
// fails with ERROR_INVALID_PARAMETER. A length of -1 takes the text through its terminating zero,
// which is then converted and counted too. A result size of 0 asks for the size needed; a result
// buffer too small gives 0 and ERROR_INSUFFICIENT_BUFFER. Undecodable bytes become U+FFFD, or fail
// with ERROR_NO_UNICODE_TRANSLATION under MB_ERR_INVALID_CHARS.
int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR text, int length, LPWSTR wide, int wideSize);
// Characters the code page lacks become defaultChar (null: '?') and set *usedDefault; both must be
// null for CP_UTF8.
int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wide, int length, LPSTR text, int textSize,
                        LPCSTR defaultChar, BOOL* usedDefault);
