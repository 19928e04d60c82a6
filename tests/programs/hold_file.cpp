// Holds a file open as another program would (the operator interface with its database open):
// read access, sharing read only, so that nobody may write, replace or delete it meanwhile.
// Says "held" on standard output once it holds the file, and lets go at the end of its input.
#include <windows.h>

#include <cstdio>
#include <string>

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fputs("usage: hold_file PATH\n", stderr);
        return 2;
    }
    HANDLE file = ::CreateFileW(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "hold_file: cannot open the file (error %lu)\n", ::GetLastError());
        return 1;
    }
    std::puts("held");
    std::fflush(stdout);
    while (std::getchar() != EOF) {
    }
    ::CloseHandle(file);
    return 0;
}
