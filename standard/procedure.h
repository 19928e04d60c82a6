#pragma once

#include <string>
#include <utility>

#include "platform/fault.h"

namespace dalvon {

struct Runtime;

// The error handler that nearly every procedure carries. Each step runs through step(); a
// Fault in it goes to ReportError with the procedure's name: the answer 1 ends the program
// (ProgramEnd), 2 lets the procedure go on with its next step as if the failed one had done
// nothing. ProgramEnd passes through untouched.
class Procedure {
public:
    // `name` is a literal: procedures are named in the code, and naming one costs nothing.
    Procedure(Runtime& rt, const char* name) : m_rt(rt), m_name(name) {}

    template <class Step>
    void step(Step&& body) {
        try {
            std::forward<Step>(body)();
        } catch (const Fault& fault) {
            handle(fault, false);
        }
    }

    // A step that yields a value; on a continued fault the value is `fallback`.
    template <class T, class Step>
    T value(T fallback, Step&& body) {
        try {
            return std::forward<Step>(body)();
        } catch (const Fault& fault) {
            handle(fault, false);
            return fallback;
        }
    }

    // Reports `fault` as fatal (fatal flag set); ends the program when the report says so.
    void reportFatal(const Fault& fault) { handle(fault, true); }

    // Reports `fault` as the ordinary handler does.
    void report(const Fault& fault) { handle(fault, false); }

    std::string name() const { return m_name; }
    Runtime& runtime() { return m_rt; }

private:
    void handle(const Fault& fault, bool fatal);

    Runtime& m_rt;
    const char* m_name;
};

// 16-bit whole numbers as the program counts rows and IDs; Fault 6 when the value does not fit.
int16_t toInteger16(long long value);

}  // namespace dalvon
