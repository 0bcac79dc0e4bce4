// The commands of the tool. Each takes its parsed arguments and returns the exit status;
// failures are thrown as ToolError.
#pragma once

#include <vector>

#include "arguments.h"
#include "status.h"

namespace QIRVALETool {

struct Command {
    const char* name;
    const char* synopsis;     // the usage line after "qirvale "
    const char* description;  // the rest of the command's help, one or more lines
    std::vector<OptionSpec> options;
    ExitStatus (*run)(const Arguments& args);
};

// Every command, in the order of the general help.
const std::vector<Command>& Commands();

ExitStatus RunSelftest(const Arguments& args);
ExitStatus RunCurves(const Arguments& args);
ExitStatus RunHash(const Arguments& args);
ExitStatus RunKeygen(const Arguments& args);
ExitStatus RunSign(const Arguments& args);
ExitStatus RunVerify(const Arguments& args);
ExitStatus RunEncrypt(const Arguments& args);
ExitStatus RunDecrypt(const Arguments& args);
ExitStatus RunMac(const Arguments& args);

}  // namespace QIRVALETool
