// selftest and curves: what the library says about itself.
#include <cstdio>
#include <string>

#include "commands.h"
#include "dstu.h"
#include "io.h"
#include "qirvale.h"

namespace QIRVALETool {

namespace {

void RequireNoOperands(const Arguments& args) {
    if (!args.operands().empty()) args.UsageError("unexpected operand " + args.operands()[0]);
}

std::string Padded(const std::string& text, std::size_t width) {
    return text.size() >= width ? text + " " : text + std::string(width - text.size(), ' ');
}

}  // namespace

ExitStatus RunSelftest(const Arguments& args) {
    RequireNoOperands(args);
    struct Test {
        const char* name;
        bool (*passes)();
    };
    static const Test kTests[] = {
        {"GOST 28147-89 cipher, four modes",
         [] {
             for (uint16_t mode = 0; mode < 4; ++mode) {
                 if (QIRVALETestGOST28147(mode) != 0) return false;
             }
             return true;
         }},
        {"GOST 34.311-95 hash", [] { return QIRVALETestGOST34311() == 0; }},
        {"GOST 34.310-95 signature", [] { return QIRVALETestGOST34310() == 0; }},
        {"DSTU 4145-2002 polynomial basis", [] { return QIRVALETestDSTU4145PB() == 0; }},
        {"DSTU 4145-2002 normal basis", [] { return QIRVALETestDSTU4145ONB() == 0; }},
    };
    int failures = 0;
    for (const Test& test : kTests) {
        const bool passed = test.passes();
        failures += passed ? 0 : 1;
        PrintLine(Padded(test.name, 34) + (passed ? "ok" : "FAILED"));
    }
    if (failures == 0) return ExitStatus::kOk;
    FlushStandardOutput();
    Fail(ExitStatus::kFailure, std::to_string(failures) + " of 5 self-tests failed");
}

ExitStatus RunCurves(const Arguments& args) {
    RequireNoOperands(args);
    PrintLine("index  basis  m    A  bits of n");
    for (const CurveRecord& curve : StandardCurves()) {
        char line[64];
        std::snprintf(line, sizeof line, "%-6u %-6s %-4u %-2u %u", curve.index, curve.family->basis,
                      static_cast<unsigned>(curve.m), static_cast<unsigned>(curve.a),
                      static_cast<unsigned>(curve.OrderBits()));
        PrintLine(line);
    }
    return ExitStatus::kOk;
}

}  // namespace QIRVALETool
