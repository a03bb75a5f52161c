#include "render/Console.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

#ifdef _WIN32
#include <io.h>
#define THALVEK_ISATTY(fd) _isatty(fd)
#else
#include <unistd.h>
#define THALVEK_ISATTY(fd) isatty(fd)
#endif

namespace rtr {

void consolePause(const char* command) {
#ifdef _WIN32
    std::system(command);
#else
    (void)command;
    if (!THALVEK_ISATTY(0))
        return;
    std::cout << "Press Enter to continue . . ." << std::flush;
    std::string ignored;
    std::getline(std::cin, ignored);
#endif
}

void fatalExit(std::initializer_list<std::string_view> lines, const char* command) {
    for (std::string_view line : lines)
        std::cout << line << std::endl;
    consolePause(command);
    std::exit(-1);
}

} // namespace rtr
