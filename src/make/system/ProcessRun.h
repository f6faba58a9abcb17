// Runs another program (ffmpeg) and waits for it.
#pragma once

#include <string>
#include <vector>

// The full name of `program` in the first folder of PATH that holds it as an executable
// file; empty when none does.
std::string FindOnPath(const std::string& program);

// Runs the program with `args` (not through a shell, so no argument is interpreted) with
// nothing on its standard input and output, and waits for it. Returns its exit code, or
// -1 when it could not be started; `errors` receives what it wrote to standard error (the
// Windows build lets that reach the console instead).
int RunProgram(const std::string& path, const std::vector<std::string>& args, std::string& errors);
