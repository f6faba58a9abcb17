// vomracube-pack: makes a finished screen saver from the template saver, nine settings and
// up to six face files, and shows what a finished saver holds. See PackOptions.h.
#include "PackCommands.h"

#include <cstdio>
#include <new>

namespace {
int Run(int argc, char** argv) {
    PackOptions options;
    std::string error;
    if (!ParsePackOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "vomracube-pack: %s\n", error.c_str());
        std::fprintf(stderr, "run \"vomracube-pack help\" for the usage\n");
        return 2;
    }
    switch (options.command) {
    case PackOptions::Command::kMake:
        return RunMake(options, stdout, stderr);
    case PackOptions::Command::kShow:
        return RunShow(options, stdout, stderr);
    case PackOptions::Command::kHelp:
        break;
    }
    PrintUsage(stdout);
    return 0;
}
} // namespace

// The making library turns a failed allocation into a message where it can go on; one
// anywhere else (a huge command line, the settings text) still ends the tool with a reason.
int main(int argc, char** argv) {
    try {
        return Run(argc, argv);
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "vomracube-pack: there is not enough memory; nothing written\n");
        return 3;
    }
}
