// A page parser that misbehaves as the page it is handed tells it to, for the tests of what the
// program makes of its parser. It serves as the real one does, a process for each page, and
// that page's process does what the page names:
//   answer            a whole answer (fakeText, a link to "a", the title "fake"), then it ends
//   answer then hang  the same, then it never ends
//   silent            answers nothing and never ends
//   garbage           bytes that are no answer, then it ends
//   wrong magic       an answer of another program
//   other version     an answer of another version of the format
//   huge text         a head that claims a text of 2^40 units, then it never ends
//   huge links        a head that claims links of 2^40 bytes, then it never ends
//   cut short         an answer whose text stops early, then it ends
//   crash             half a head, then it aborts
//   exit early        ends without a word
//   server dies       kills the parser's program (and so itself), having said nothing
//   server stops      stops the parser's program, so it takes no more requests, and says nothing
#include "platform/childwork.h"
#include "platform/pageparseformat.h"
#include "platform/pageparseserver.h"

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace veldrin;

namespace {

constexpr std::u16string_view fakeText = u"answered by the fake parser";
constexpr std::string_view fakeTitle { "fake\0", 5 };
constexpr std::string_view fakeHrefs { "a\0", 2 };

// The request file, mapped as the real parser maps it; empty where it cannot be.
std::string_view requestIn(int file)
{
    struct stat about;
    if (fstat(file, &about) != 0 || about.st_size <= 0)
        return {};
    void* mapped = mmap(nullptr, size_t(about.st_size), PROT_READ, MAP_PRIVATE, file, 0);
    return mapped == MAP_FAILED ? std::string_view()
                                : std::string_view(static_cast<const char*>(mapped), size_t(about.st_size));
}

[[noreturn]] void hang()
{
    for (;;)
        pause();
}

pageparse::AnswerHead headFor(std::uint32_t wanted)
{
    const bool whole = wanted == std::uint32_t(pageparse::Wanted::WholePage);
    pageparse::AnswerHead head {};
    head.magic = pageparse::magic;
    head.version = pageparse::formatVersion;
    head.wanted = wanted;
    head.textUnits = fakeText.size();
    head.hrefsBytes = whole ? fakeHrefs.size() : 0;
    head.titleBytes = whole ? fakeTitle.size() : 0;
    return head;
}

void writeAnswer(ChildOutput& out, const pageparse::AnswerHead& head)
{
    out.write(&head, sizeof head);
    out.write(fakeText.data(), fakeText.size() * sizeof(char16_t));
    out.write(fakeHrefs.data(), head.hrefsBytes);
    out.write(fakeTitle.data(), head.titleBytes);
    out.write(&pageparse::answerEnd, sizeof pageparse::answerEnd);
}

int misbehave(int requestFile, int answer)
{
    const std::string_view input = requestIn(requestFile);
    pageparse::RequestHead request {};
    if (input.size() < sizeof request)
        return 2;
    std::memcpy(&request, input.data(), sizeof request);
    const std::string_view fault = input.substr(sizeof request);

    ChildOutput out(answer);
    pageparse::AnswerHead head = headFor(request.wanted);
    if (fault == "answer" || fault == "answer then hang") {
        writeAnswer(out, head);
        out.flush();
        if (fault == "answer then hang")
            hang();
    } else if (fault == "silent") {
        hang();
    } else if (fault == "garbage") {
        out.write("no answer at all, only bytes of some kind or other", 50);
    } else if (fault == "wrong magic" || fault == "other version") {
        if (fault == "wrong magic")
            head.magic += 1;
        else
            head.version += 1;
        writeAnswer(out, head);
    } else if (fault == "huge text" || fault == "huge links") {
        (fault == "huge text" ? head.textUnits : head.hrefsBytes) = std::uint64_t(1) << 40;
        out.write(&head, sizeof head);
        out.write(fakeText.data(), fakeText.size() * sizeof(char16_t));
        out.flush();
        hang();
    } else if (fault == "cut short") {
        out.write(&head, sizeof head);
        out.write(fakeText.data(), 4 * sizeof(char16_t));
    } else if (fault == "crash") {
        out.write(&head, sizeof head / 2);
        out.flush();
        std::abort();
    } else if (fault == "server dies") {
        kill(getppid(), SIGKILL);
        hang();
    } else if (fault == "server stops") {
        kill(getppid(), SIGSTOP);
        hang();
    } else if (fault != "exit early") {
        return 3;
    }
    out.flush();
    return 0;
}

} // namespace

int main()
{
    _exit(pageparse::servePageParses(STDIN_FILENO, &misbehave));
}
