// The page parser's program: started once by the program, with a Unix socket as its standard
// input on which it is asked for pages, each parsed in a process of its own (servePageParses).
#include "platform/pageparseserver.h"

#include <unistd.h>

int main()
{
    // No destructors or exit handlers: the process holds nothing that needs them.
    _exit(veldrin::pageparse::servePageParses(STDIN_FILENO));
}
