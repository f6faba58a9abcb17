// vomracube-pack: makes a finished screen saver from the template saver, nine settings and
// up to six face files, and shows what a finished saver holds. See PackOptions.h.
#include "PackCommands.h"

#include <cstdio>

int main(int argc, char** argv) {
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
