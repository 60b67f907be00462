// Throw helpers and readable texts for the framework's exception classes.
#include "framework/exceptions.h"

const char* CFileException::what() const noexcept
{
    switch (m_cause) {
    case fileNotFound: return "file not found";
    case accessDenied: return "access denied";
    case badSeek: return "bad seek";
    case hardIO: return "read error";
    case endOfFile: return "unexpected end of file";
    default: return "file error";
    }
}

const char* CArchiveException::what() const noexcept
{
    return m_cause == endOfFile ? "document ends early" : "document error";
}

void AfxThrowFileException(int cause, long lOsError, const std::string& fileName)
{
    throw CFileException(cause, lOsError, fileName);
}

void AfxThrowArchiveException(int cause) { throw CArchiveException(cause); }

void AfxThrowUserException() { throw CUserException(); }
