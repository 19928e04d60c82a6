#pragma once

#include <ctime>

namespace dalvon {

// The C library calls whose spelling differs between systems.

// The local civil time of `time` (thread-safe, unlike std::localtime).
std::tm localTime(std::time_t time);

// strtod in the "C" locale whatever locale the process has: '.' is the decimal point.
double strtodInCLocale(const char* text, char** end);

// This process's id, as the system's process tools show it.
long currentProcessId();

}  // namespace dalvon
