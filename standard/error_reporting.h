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

// Notes a failure that the program's rules keep out of every log, for the exit status and the
// closing line; the same failure on the same file is noted once.
void NoteUnloggedFailure(Runtime& rt, const std::string& path, const std::string& what);

// The status of a run whose OK path finished: 0, or 3 when any fault was reported on the way
// or a failure was noted that no log received.
int FinishedExitStatus(const Runtime& rt);

// The one line that tells a caller of silent start how a run with status 1 or 3 ended: where
// its faults went, what failed without reaching a log, and where the component database as the
// run found it is kept (host paths).
std::string FaultSummaryLine(Runtime& rt, int exitStatus);

// The line that names the failures no log received; empty when there were none.
std::string UnloggedFailuresLine(Runtime& rt);

// The fixed Windows path of the service log.
inline constexpr const char* kServiceLogPath = "C:\\TarvoServicePack.log";

}  // namespace dalvon
