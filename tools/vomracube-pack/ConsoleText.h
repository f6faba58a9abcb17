// The pack tool's output: UTF-8 text, as every name in it is. A Windows console shows it
// only through the wide call; a pipe or a file gets the UTF-8 bytes, as natively.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#ifdef __MINGW_PRINTF_FORMAT
#define VC_PRINTF_FORMAT __MINGW_PRINTF_FORMAT
#else
#define VC_PRINTF_FORMAT printf
#endif

// printf into the stream, shown as above.
void Print(std::FILE* out, const char* format, ...) __attribute__((format(VC_PRINTF_FORMAT, 2, 3)));

// Writes UTF-8 text to the stream: wide to a Windows console, bytes anywhere else.
void WriteText(std::FILE* out, const std::string& text);

// The program's arguments in UTF-8 (argv[0] first): on Windows from the wide command line,
// whose names keep every character; natively argv as it is.
std::vector<std::string> ProgramArguments(int argc, char** argv);
