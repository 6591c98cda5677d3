// Linked into every benchmark: they run from a folder of their own, away from the parser the
// build put beside the program, and name it before any of them runs.
#include "platform/pageparse.h"

namespace {

const bool parserNamed = [] {
    veldrin::setPageParserProgram(VELDRIN_PAGEPARSE_PROGRAM);
    return true;
}();

} // namespace
