// Run by wine_run_test.sh through scripts/wine-run: shows what a Windows
// program receives (arguments, standard input, environment) and answers on
// both output streams with the exit code it was asked for.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: wine_run_probe EXIT-CODE|crash [ARG...]\n");
        return 2;
    }
    if (std::strcmp(argv[1], "crash") == 0) {
        std::puts("crashing");
        std::fflush(stdout);
        RaiseException(EXCEPTION_ACCESS_VIOLATION, EXCEPTION_NONCONTINUABLE, 0, nullptr);
    }
    for (int i = 2; i < argc; ++i) {
        std::printf("arg:[%s]\n", argv[i]);
    }
    const char* sim = std::getenv("KORVANE_SIMULATOR");
    std::printf("env:[%s]\n", sim != nullptr ? sim : "(unset)");
    std::string line;
    while (std::getline(std::cin, line)) {
        std::printf("in:[%s]\n", line.c_str());
    }
    std::fflush(stdout);
    std::fprintf(stderr, "stderr line\n");
    return std::atoi(argv[1]);
}
