// The page parser's process: started by a parse of the program, handed one page on its standard
// input, and ended by its caller when the caller stops waiting for it.
#include "platform/childwork.h"
#include "platform/pageparseserver.h"

#include <unistd.h>

int main(int argc, char** argv)
{
    if (argc < 2 || !veldrin::ChildWork::tieToParent(argv[1]))
        _exit(1);
    // No destructors or exit handlers: the process holds nothing that needs them.
    _exit(veldrin::pageparse::servePageParse(STDIN_FILENO, STDOUT_FILENO));
}
