// Starts a program and ends it after a given time as Task Manager would (TerminateProcess: no
// clean-up in the program runs), for the tests of what a killed run leaves behind.
// Usage: kill_after MILLISECONDS PROGRAM [ARGUMENT ...]; says "killed", or "ended after N ms"
// and exits with the program's status when it ended by itself first.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

// Command-line quoting as the C runtime parses it back: backslashes double only before a quote.
// Arguments without blanks or quotes go as they are: the program reads its raw command line.
std::wstring quoted(const std::wstring& argument) {
    if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos)
        return argument;
    std::wstring out = L"\"";
    size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, L'\\');
    return out + L"\"";
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fputs("usage: kill_after MILLISECONDS PROGRAM [ARGUMENT ...]\n", stderr);
        return 2;
    }
    const DWORD millis = static_cast<DWORD>(std::wcstoul(argv[1], nullptr, 10));
    std::wstring commandLine;
    for (int i = 2; i < argc; ++i)
        commandLine += (i > 2 ? L" " : L"") + quoted(argv[i]);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(argv[2], commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process)) {
        std::fprintf(stderr, "kill_after: cannot start the program (error %lu)\n",
                     ::GetLastError());
        return 2;
    }
    ::CloseHandle(process.hThread);
    const ULONGLONG started = ::GetTickCount64();
    DWORD status = 255;
    if (::WaitForSingleObject(process.hProcess, millis) == WAIT_TIMEOUT) {
        ::TerminateProcess(process.hProcess, 255);
        ::WaitForSingleObject(process.hProcess, INFINITE);
        std::puts("killed");
    } else {
        ::GetExitCodeProcess(process.hProcess, &status);
        std::printf("ended after %llu ms\n", (::GetTickCount64() - started));
    }
    ::CloseHandle(process.hProcess);
    return static_cast<int>(status);
}
