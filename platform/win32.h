#pragma once

// What the Win32 implementations share: UTF-8 against UTF-16 at the API boundary, error texts
// and owned handles. Only platform/*_win32.cpp and the Win32 window (form/win32/) include this
// (and with it windows.h).
#include <windows.h>

#include <string>
#include <string_view>

namespace dalvon::win32 {

// UTF-8 to UTF-16 for the wide APIs, and back. Invalid sequences become U+FFFD.
std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view utf16);

// The system's text for an error code ("Access is denied.") without the trailing line end.
std::string errorText(DWORD error);
std::string lastErrorText();

// A kernel handle closed when the object goes. Both null and INVALID_HANDLE_VALUE mean none.
class Handle {
public:
    Handle() = default;
    explicit Handle(HANDLE handle) : m_handle(handle) {}
    Handle(Handle&& other) noexcept : m_handle(other.release()) {}
    Handle& operator=(Handle&& other) noexcept;
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() { reset(); }

    HANDLE get() const { return m_handle; }
    bool valid() const { return m_handle != nullptr && m_handle != INVALID_HANDLE_VALUE; }
    HANDLE release();
    // Closes now; false when the close failed (a buffered write that did not make it).
    bool reset();

private:
    HANDLE m_handle = INVALID_HANDLE_VALUE;
};

// A FindFirstFileW search, closed when the object goes.
class FindHandle {
public:
    explicit FindHandle(const std::wstring& pattern, WIN32_FIND_DATAW& first)
        : m_handle(::FindFirstFileW(pattern.c_str(), &first)) {}
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;
    ~FindHandle() {
        if (valid())
            ::FindClose(m_handle);
    }
    bool valid() const { return m_handle != INVALID_HANDLE_VALUE; }
    bool next(WIN32_FIND_DATAW& data) { return ::FindNextFileW(m_handle, &data) != 0; }

private:
    HANDLE m_handle;
};

}  // namespace dalvon::win32
