// The framework's exception classes. Failures between the system's parts
// travel as these (thrown by value, caught by reference); the user
// interrupt is the silent CUserException.
#pragma once

#include <exception>
#include <string>

class CException : public std::exception {
public:
    const char* what() const noexcept override { return "Mosvik exception"; }
};

class CFileException : public CException {
public:
    enum Cause { none = 0, genericException = 1, generic = 1, fileNotFound, badPath, tooManyOpenFiles,
                 accessDenied, invalidFile, removeCurrentDir, directoryFull, badSeek, hardIO,
                 sharingViolation, lockViolation, diskFull, endOfFile };

    CFileException(int cause = none, long lOsError = -1, std::string fileName = {})
        : m_cause(cause), m_lOsError(lOsError), m_strFileName(std::move(fileName)) {}
    const char* what() const noexcept override;

    int m_cause;
    long m_lOsError;
    std::string m_strFileName;
};

class CArchiveException : public CException {
public:
    enum Cause { none = 0, genericException = 1, generic = 1, readOnly, endOfFile, writeOnly,
                 badIndex, badClass, badSchema };

    explicit CArchiveException(int cause = none) : m_cause(cause) {}
    const char* what() const noexcept override;

    int m_cause;
};

// The silent user exception: shows nothing wherever it is caught.
class CUserException : public CException {
public:
    const char* what() const noexcept override { return "user interrupt"; }
};

[[noreturn]] void AfxThrowFileException(int cause, long lOsError = -1, const std::string& fileName = {});
[[noreturn]] void AfxThrowArchiveException(int cause);
[[noreturn]] void AfxThrowUserException();
