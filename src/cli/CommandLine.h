// The command line: the command's name first, then that command's own options, each command
// with its --help; dispatch to the command and its exit code.
#pragma once

#include <QStringList>

namespace vl48cli {

// Runs the command line (the program's arguments, its name first) and returns the exit code.
int run(const QStringList& arguments);

}  // namespace vl48cli
