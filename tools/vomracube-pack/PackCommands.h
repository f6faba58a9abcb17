// The authoring tool's commands. Each returns the process exit code: 0 done, 1 a file could
// not be read or written (or, with --strict, a face would fall back), 2 a bad command line.
#pragma once

#include "PackOptions.h"

#include <cstdio>

int RunMake(const PackOptions& options, std::FILE* out, std::FILE* err);
int RunShow(const PackOptions& options, std::FILE* out, std::FILE* err);
void PrintUsage(std::FILE* out);
