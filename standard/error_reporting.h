#pragma once

#include <cstdint>
#include <string>

namespace dalvon {

struct Runtime;

// The break between the lines of every multi-line text the program composes: LF then CR.
inline constexpr const char* kBreak = "\n\r";
// The line end written after every log entry.
inline constexpr const char* kLogLineEnd = "\r\n";

// Logs the fault and asks the operator (or, in silent start, logs it to the service log):
// 1 = end the program, 2 = continue.
int16_t ReportError(Runtime& rt, int32_t number, const std::string& source,
                    const std::string& description, const std::string& procedureName, bool fatal);

// Ends the program at once: throws ProgramEnd with `exitStatus`.
[[noreturn]] void EndProgram(Runtime& rt, int exitStatus);
[[noreturn]] void EndProgram(Runtime& rt);  // exit status for an error end

// Appends `text` to the error log; returns "Error logged to " + break + the upper-cased path
// (notify false) or passes that to ReportFault and returns the empty text (notify true).
std::string WriteErrorLog(Runtime& rt, const std::string& text, bool notify);

// A notice of an expected problem: a critical OK box titled with the executable name, or in
// silent start a service-log line.
void ReportFault(Runtime& rt, const std::string& text);

// Appends "! Fault " + executable name + ": " + text to the service log.
void WriteServiceLog(Runtime& rt, const std::string& text);

// The status of a run whose OK path finished: 0, or 3 when any fault was reported on the way.
int FinishedExitStatus(const Runtime& rt);

// The one line that tells a caller of silent start where the faults of a run went and where
// the previous component database is kept (host paths).
std::string FaultSummaryLine(Runtime& rt);

// The fixed Windows path of the service log.
inline constexpr const char* kServiceLogPath = "C:\\TarvoServicePack.log";

}  // namespace dalvon
