// A command line for another program, from its arguments.
#pragma once

#include <string>

// One argument quoted as the C run-time (and CommandLineToArgvW) split a command line:
// backslashes double only before a quote, and a quote is escaped. The rules concern only
// ASCII characters, so the quoted UTF-8 text converts to a wide command line unchanged.
std::string QuoteArgument(const std::string& arg);
