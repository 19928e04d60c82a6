#include "platform/c_library.h"

#include <windows.h>

#include <locale.h>
#include <stdlib.h>

namespace dalvon {

std::tm localTime(std::time_t time) {
    std::tm local{};
    localtime_s(&local, &time);
    return local;
}

double strtodInCLocale(const char* text, char** end) {
    static const _locale_t cLocale = _create_locale(LC_ALL, "C");
    return _strtod_l(text, end, cLocale);
}

long currentProcessId() {
    return static_cast<long>(::GetCurrentProcessId());
}

}  // namespace dalvon
