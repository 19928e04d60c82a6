#include "platform/win32_files.h"

#include <optional>

#include "platform/fault.h"
#include "platform/text.h"
#include "platform/win32.h"

namespace dalvon::win32 {
namespace {

// The lock covers one byte far past the process id note: Windows locks are mandatory, and
// another process must still read who holds it.
constexpr DWORD kLockOffsetHigh = 0x7FFFFFFF;

bool allDigits(const std::wstring& text) {
    return !text.empty() && text.size() <= 9 &&
           text.find_first_not_of(L"0123456789") == std::wstring::npos;
}

// The process id in a name ".<name>.tmp<pid>.<n>", or nothing for any other name.
std::optional<long> tempFileOwner(const std::wstring& name) {
    size_t lastDot = name.rfind(L'.');
    if (name.size() < 2 || name[0] != L'.' || lastDot == std::wstring::npos || lastDot == 0)
        return std::nullopt;
    size_t tmp = name.rfind(L".tmp", lastDot - 1);
    if (tmp == std::wstring::npos || tmp < 2 || tmp + 4 > lastDot)
        return std::nullopt;
    std::wstring pid = name.substr(tmp + 4, lastDot - tmp - 4);
    if (!allDigits(pid) || !allDigits(name.substr(lastDot + 1)))
        return std::nullopt;
    return std::stol(pid);
}

class FileRangeLock : public FileLock {
public:
    explicit FileRangeLock(Handle file) : m_file(std::move(file)) {}
    ~FileRangeLock() override {
        OVERLAPPED at{};
        at.OffsetHigh = kLockOffsetHigh;
        ::UnlockFileEx(m_file.get(), 0, 1, 0, &at);
    }

private:
    Handle m_file;
};

long notedHolder(HANDLE file) {
    char buffer[32] = {};
    DWORD count = 0;
    OVERLAPPED at{};
    if (!::ReadFile(file, buffer, sizeof buffer - 1, &count, &at))
        return 0;
    return std::strtol(buffer, nullptr, 10);
}

}  // namespace

std::vector<WIN32_FIND_DATAW> folderEntries(const std::wstring& folder) {
    std::vector<WIN32_FIND_DATAW> entries;
    WIN32_FIND_DATAW entry{};
    std::wstring pattern = folder + (folder.back() == L'\\' ? L"*" : L"\\*");
    FindHandle search(pattern, entry);
    if (!search.valid())
        return entries;
    do {
        std::wstring name = entry.cFileName;
        if (name != L"." && name != L"..")
            entries.push_back(entry);
    } while (search.next(entry));
    return entries;
}

std::wstring withCaseOnDisk(const std::wstring& native) {
    std::wstring result = native.substr(0, 2);
    size_t start = 3;
    while (start <= native.size()) {
        size_t end = native.find(L'\\', start);
        std::wstring component = native.substr(start, end - start);
        if (component.empty())
            break;
        std::wstring exact = result + L"\\" + component;
        WIN32_FIND_DATAW found{};
        FindHandle search(exact, found);
        result = search.valid() ? result + L"\\" + found.cFileName : exact;
        if (end == std::wstring::npos)
            break;
        start = end + 1;
    }
    return result.size() == 2 ? result + L"\\" : result;
}

std::wstring tempPathFor(const std::wstring& native, DWORD pid, unsigned long counter) {
    size_t slash = native.rfind(L'\\');
    return native.substr(0, slash + 1) + L"." + native.substr(slash + 1) + L".tmp" +
           std::to_wstring(pid) + L"." + std::to_wstring(counter);
}

bool processExists(long pid) {
    if (pid <= 0)
        return false;
    Handle process(::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE,
                                 static_cast<DWORD>(pid)));
    if (!process.valid())
        return ::GetLastError() == ERROR_ACCESS_DENIED;
    // A handle to an ended process stays openable while others hold one; it is signalled.
    return ::WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT;
}

int removeLeftovers(const std::wstring& folder) {
    int removed = 0;
    for (const WIN32_FIND_DATAW& entry : folderEntries(folder)) {
        std::optional<long> owner = tempFileOwner(entry.cFileName);
        if (!owner || (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || processExists(*owner))
            continue;
        std::wstring path = folder + (folder.back() == L'\\' ? L"" : L"\\") + entry.cFileName;
        if (::DeleteFileW(path.c_str()))
            ++removed;
    }
    return removed;
}

LockAttempt tryLock(const std::wstring& native, const std::string& path) {
    Handle file(::CreateFileW(native.c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid())
        throw faults::pathAccess(path, lastErrorText());
    OVERLAPPED at{};
    at.OffsetHigh = kLockOffsetHigh;
    // Per handle: a second attempt in the same process is refused too, and the system lets go
    // when the process ends however it ends.
    if (!::LockFileEx(file.get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0,
                      &at)) {
        DWORD error = ::GetLastError();
        if (error != ERROR_LOCK_VIOLATION && error != ERROR_IO_PENDING)
            throw faults::pathAccess(path, errorText(error));
        return LockAttempt{nullptr, notedHolder(file.get())};
    }
    std::string pid = std::to_string(::GetCurrentProcessId()) + "\r\n";
    DWORD written = 0;
    OVERLAPPED start{};
    // The lock holds without the note; a refused start then names no process.
    if (::SetEndOfFile(file.get()))
        ::WriteFile(file.get(), pid.data(), static_cast<DWORD>(pid.size()), &written, &start);
    return LockAttempt{std::make_unique<FileRangeLock>(std::move(file)), 0};
}

}  // namespace dalvon::win32
