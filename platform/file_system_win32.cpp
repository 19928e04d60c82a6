// The file system of Windows itself: Windows-form paths are the system's own, drive letters are
// the real drives (C:\TarvoServicePack.log is that file). Every call goes through the wide
// APIs with the path converted from UTF-8 here, never through the ANSI code page.
#include <windows.h>

#include <algorithm>
#include <functional>
#include <string_view>

#include "platform/drive_map.h"
#include "platform/fault.h"
#include "platform/file_system.h"
#include "platform/text.h"
#include "platform/win32.h"
#include "platform/win32_files.h"

namespace dalvon {
namespace {

using win32::Handle;
using win32::lastErrorText;
using win32::narrow;
using win32::widen;

// Others may read, write and delete what we have open, as on POSIX; Windows refuses the reverse
// itself when another program holds a file without sharing.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

DWORD attributesOf(const std::wstring& native) {
    return ::GetFileAttributesW(native.c_str());
}

bool isFolder(const std::wstring& native) {
    DWORD attributes = attributesOf(native);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool isOrdinaryFile(const std::wstring& native) {
    DWORD attributes = attributesOf(native);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool isMissing(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
           error == ERROR_INVALID_NAME;
}

// "D:\a\.\b\..\c" -> "D:\a\c"; Fault 76 for a path without a drive letter.
std::string normalised(const std::string& path) {
    std::optional<WindowsPathParts> parts = splitWindowsPath(path);
    if (!parts)
        throw faults::pathNotFound(path);
    std::string native = std::string(1, parts->drive) + ":";
    for (const std::string& component : parts->components)
        native += "\\" + component;
    return parts->components.empty() ? native + "\\" : native;
}

std::wstring nativeOf(const std::string& path) {
    return widen(normalised(path));
}

std::wstring parentOf(const std::wstring& native) {
    size_t slash = native.rfind(L'\\');
    return slash <= 2 ? native.substr(0, 3) : native.substr(0, slash);
}

Handle openForReading(const std::wstring& native) {
    return Handle(::CreateFileW(native.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
}

void writeAll(HANDLE file, std::string_view bytes, const std::string& path) {
    while (!bytes.empty()) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 30));
        DWORD written = 0;
        if (!::WriteFile(file, bytes.data(), chunk, &written, nullptr))
            throw faults::pathAccess(path, lastErrorText());
        bytes.remove_prefix(written);
    }
}

// Reads up to `length` bytes at `offset`; fewer only at the end of the file.
std::string readAt(HANDLE file, uint64_t offset, size_t length, const std::string& path) {
    std::string bytes(length, '\0');
    size_t got = 0;
    while (got < length) {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset + got);
        at.OffsetHigh = static_cast<DWORD>((offset + got) >> 32);
        DWORD count = 0;
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(length - got, 1u << 30));
        if (!::ReadFile(file, bytes.data() + got, chunk, &count, &at)) {
            if (::GetLastError() == ERROR_HANDLE_EOF)
                break;
            throw faults::pathAccess(path, lastErrorText());
        }
        if (count == 0)
            break;
        got += count;
    }
    bytes.resize(got);
    return bytes;
}

int64_t toInt(const FILETIME& time) {
    return static_cast<int64_t>((static_cast<uint64_t>(time.dwHighDateTime) << 32) |
                                time.dwLowDateTime);
}

FILETIME toFileTime(int64_t value) {
    FILETIME time{};
    time.dwLowDateTime = static_cast<DWORD>(static_cast<uint64_t>(value));
    time.dwHighDateTime = static_cast<DWORD>(static_cast<uint64_t>(value) >> 32);
    return time;
}

class Win32FileSystem : public FileSystem {
public:
    bool fileExists(const std::string& path) override {
        try {
            return isOrdinaryFile(nativeOf(path));
        } catch (const Fault&) {
            return false;
        }
    }

    std::optional<std::string> readFile(const std::string& path) override {
        Handle file = openForReading(nativeOf(path));
        if (!file.valid())
            return missingOrFault(path);
        LARGE_INTEGER size{};
        if (!::GetFileSizeEx(file.get(), &size))
            throw faults::pathAccess(path, lastErrorText());
        return readAt(file.get(), 0, static_cast<size_t>(size.QuadPart), path);
    }

    std::optional<std::string> readRange(const std::string& path, uint64_t offset,
                                         size_t length) override {
        Handle file = openForReading(nativeOf(path));
        if (!file.valid())
            return missingOrFault(path);
        return readAt(file.get(), offset, length, path);
    }

    std::optional<FileInfo> fileInfo(const std::string& path) override {
        std::wstring native;
        try {
            native = nativeOf(path);
        } catch (const Fault&) {
            return std::nullopt;
        }
        Handle file(::CreateFileW(native.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
        BY_HANDLE_FILE_INFORMATION info{};
        if (!file.valid() || !::GetFileInformationByHandle(file.get(), &info) ||
            (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            return std::nullopt;
        }
        return FileInfo{info.dwVolumeSerialNumber,
                        (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow,
                        (static_cast<uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow,
                        !(info.dwFileAttributes & FILE_ATTRIBUTE_READONLY)};
    }

    void writeFileAtomic(const std::string& path, const std::string& bytes) override {
        std::wstring native = nativeOf(path);
        if (!isFolder(parentOf(native)))
            throw faults::pathNotFound(path);
        replaceAtomically(path, native, [&](HANDLE file) { writeAll(file, bytes, path); });
    }

    void copyFile(const std::string& from, const std::string& to) override {
        std::wstring source = nativeOf(from);
        if (!isOrdinaryFile(source))
            throw faults::fileNotFound(from);
        Handle input = openForReading(source);
        if (!input.valid())
            throw faults::pathAccess(from, lastErrorText());
        std::wstring native = nativeOf(to);
        if (!isFolder(parentOf(native)))
            throw faults::pathAccess(to, "the folder does not exist");
        replaceAtomically(to, native, [&](HANDLE file) {
            for (uint64_t offset = 0;; offset += 1 << 20) {
                std::string chunk = readAt(input.get(), offset, 1 << 20, from);
                writeAll(file, chunk, to);
                if (chunk.size() < (1u << 20))
                    return;
            }
        });
    }

    void appendLine(const std::string& path, const std::string& text) override {
        Handle file(::CreateFileW(nativeOf(path).c_str(), FILE_APPEND_DATA,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.valid())
            throw faults::pathAccess(path, lastErrorText());
        // One write, so that a line from another process never lands inside ours.
        writeAll(file.get(), utf8ToCp1252(text) + "\r\n", path);
        if (!file.reset())
            throw faults::pathAccess(path, lastErrorText());
    }

    std::optional<FileTimes> readTimes(const std::string& path) override {
        Handle file = openAttributes(path, FILE_READ_ATTRIBUTES);
        FILETIME creation{}, access{}, write{};
        if (!file.valid() || !::GetFileTime(file.get(), &creation, &access, &write))
            return std::nullopt;
        return FileTimes{toInt(creation), toInt(access), toInt(write)};
    }

    bool writeTimes(const std::string& path, const FileTimes& times) override {
        Handle file = openAttributes(path, FILE_WRITE_ATTRIBUTES);
        FILETIME creation = toFileTime(times.creation);
        FILETIME write = toFileTime(times.lastWrite);
        return file.valid() && ::SetFileTime(file.get(), &creation, nullptr, &write);
    }

    void createFolder(const std::string& path) override {
        std::wstring native = nativeOf(path);
        for (size_t slash = native.find(L'\\', 3);; slash = native.find(L'\\', slash + 1)) {
            std::wstring prefix = native.substr(0, slash);
            if (!isFolder(prefix) && !::CreateDirectoryW(prefix.c_str(), nullptr) &&
                !isFolder(prefix)) {
                throw faults::pathAccess(
                    path, isOrdinaryFile(prefix) ? "Not a directory" : lastErrorText());
            }
            if (slash == std::wstring::npos)
                return;
        }
    }

    std::vector<std::string> listFolder(const std::string& path) override {
        std::vector<std::string> names;
        try {
            for (const WIN32_FIND_DATAW& entry : win32::folderEntries(nativeOf(path))) {
                if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                    names.push_back(narrow(entry.cFileName));
            }
        } catch (const Fault&) {
            return {};
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    void removeFile(const std::string& path) override {
        std::wstring native = nativeOf(path);
        if (!isOrdinaryFile(native))
            throw faults::fileNotFound(path);
        if (!::DeleteFileW(native.c_str()))
            throw faults::pathAccess(path, lastErrorText());
    }

    int removeLeftovers(const std::string& folder) override {
        try {
            return win32::removeLeftovers(nativeOf(folder));
        } catch (const Fault&) {
            return 0;
        }
    }

    LockAttempt tryLock(const std::string& path) override {
        return win32::tryLock(nativeOf(path), path);
    }

    std::string hostPath(const std::string& path) override {
        return narrow(win32::withCaseOnDisk(nativeOf(path)));
    }

    std::string windowsPath(const std::string& hostPath) override {
        std::wstring wide = widen(hostPath);
        std::replace(wide.begin(), wide.end(), L'/', L'\\');
        DWORD size = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
        std::wstring full(size, L'\0');
        size = ::GetFullPathNameW(wide.c_str(), size, full.data(), nullptr);
        full.resize(size);
        while (full.size() > 2 && full.back() == L'\\')
            full.pop_back();
        return narrow(full);
    }

private:
    static std::optional<std::string> missingOrFault(const std::string& path) {
        DWORD error = ::GetLastError();
        if (isMissing(error))
            return std::nullopt;
        throw faults::pathAccess(path, win32::errorText(error));
    }

    static Handle openAttributes(const std::string& path, DWORD access) {
        std::wstring native;
        try {
            native = nativeOf(path);
        } catch (const Fault&) {
            return Handle();
        }
        if (!isOrdinaryFile(native))
            return Handle();
        return Handle(::CreateFileW(native.c_str(), access, kShareAll, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    }

    // A temp file beside the target, filled, flushed to the disk, then moved over the target in
    // one step. A target another program holds open without sharing it is not replaced.
    void replaceAtomically(const std::string& path, const std::wstring& native,
                           const std::function<void(HANDLE)>& fill) {
        DWORD attributes = attributesOf(native);
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
            throw faults::pathAccess(path, "Is a directory");
        // A move would replace a read-only file; a copy over it fails instead.
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
            throw faults::pathAccess(path, "Permission denied");
        // A program that holds the file without letting others write to it (the operator
        // interface with its database open) keeps it: a copy over it would fail so, while a
        // move would pass wherever that program shares deletion.
        if (attributes != INVALID_FILE_ATTRIBUTES &&
            !Handle(::CreateFileW(native.c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr))
                 .valid()) {
            throw faults::pathAccess(path, lastErrorText());
        }
        std::wstring temp;
        Handle file = createTemp(path, native, temp);
        try {
            fill(file.get());
            if (!::FlushFileBuffers(file.get()) || !file.reset())
                throw faults::pathAccess(path, lastErrorText());
            if (!::MoveFileExW(temp.c_str(), native.c_str(),
                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
                throw faults::pathAccess(path, lastErrorText());
            }
        } catch (...) {
            file.reset();
            ::DeleteFileW(temp.c_str());
            throw;
        }
    }

    Handle createTemp(const std::string& path, const std::wstring& native, std::wstring& temp) {
        for (int attempt = 0; attempt < 100; ++attempt) {
            temp = win32::tempPathFor(native, ::GetCurrentProcessId(), m_tempCounter++);
            Handle file(::CreateFileW(temp.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                      CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
            if (file.valid())
                return file;
            if (::GetLastError() != ERROR_FILE_EXISTS)
                break;
        }
        throw faults::pathAccess(path, lastErrorText());
    }

    unsigned long m_tempCounter = 0;
};

}  // namespace

std::unique_ptr<FileSystem> makeSystemFileSystem() {
    return std::make_unique<Win32FileSystem>();
}

std::unique_ptr<FileSystem> makeHostFileSystem() {
    return makeSystemFileSystem();
}

}  // namespace dalvon
