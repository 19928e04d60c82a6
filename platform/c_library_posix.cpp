#include "platform/c_library.h"

#include <locale.h>
#include <stdlib.h>
#include <unistd.h>

namespace dalvon {

std::tm localTime(std::time_t time) {
    std::tm local{};
    localtime_r(&time, &local);
    return local;
}

double strtodInCLocale(const char* text, char** end) {
    // A window toolkit may set a locale with another decimal point for the whole process.
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return strtod_l(text, end, cLocale);
}

long currentProcessId() {
    return static_cast<long>(::getpid());
}

}  // namespace dalvon
