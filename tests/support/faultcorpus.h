#pragma once

#include "app/context.h"
#include "support/panelkit.h"

#include <QStringList>
#include <functional>
#include <vector>

namespace veldrin::test {

class FixtureServer;
struct TestSeams;

// A small set of hostile pages that every lookup and both version windows are run over,
// served by the loopback server through the real page-text fetch and the real page loader.
enum class Hostile
{
    SoundPage, // the control: the same page served whole gives the result
    Empty,
    MarkersOnly,
    MarkersReversed,
    MarkerOverOneMegabyte,
    UnbrokenLine,
    UnpairedSurrogateReference,
    NulBytes,
    ServerError,
    Stall,
};

std::vector<Hostile> allHostilePages();
// The page's name, as the test cases over it are called.
const char* nameOf(Hostile hostile);

// A service's answer as the lookups read it: fixed marker texts (even places) with the values
// between and after them (odd places), as HTML source.
using PageParts = QStringList;

// The hostile form of `parts`: each keeps the sound page's markers and spoils its values, so a
// failure can only come from how the lookup copes, not from a page that lacks what it seeks.
QString hostileText(const PageParts& parts, Hostile hostile);

// A fetch that fails outright, not one that was given a page it cannot read.
bool fetchFails(Hostile hostile);

// Serves the hostile form of `parts` at `path`.
void serve(FixtureServer& server, const QString& path, const PageParts& parts, Hostile hostile);

// The usual test limits, and short ones for a stall, so a whole table of stalls ends quickly.
void useCorpusLimits(TestSeams& seams, Hostile hostile);

// Where a panel shows its result, and what that control shows when there is none (its start,
// progress and failure texts): a result of any kind, "not found" included, is anything else.
struct ResultControl
{
    const char16_t* name;
    std::vector<const char16_t*> noResult;

    bool shown(const QWidget& root) const;
};

struct Lookup
{
    const char16_t* frame;
    const char16_t* input;
    const char16_t* typed;
    const char16_t* button;
    const char16_t* path;
    PageParts page;
    ResultControl result;
    // The text a lookup shows in its result control for a failure, where it shows no box.
    const char16_t* failureText = nullptr;
};

// Every lookup that fetches a page, with the sound form of its page.
const std::vector<Lookup>& corpusLookups();
// The host list, whose "page" is the name-server tool's output.
const Lookup& hostListLookup();
// The version page as both version windows read it: older than the program's, with notes.
const PageParts& versionPage();

// Serves `lookup`'s page in its hostile form at `server` and sets the seams for it: the corpus
// limits, and for the host lookup a name that resolves to loopback, whose echo answers.
void prepareLookup(FixtureServer& server, TestSeams& seams, const Lookup& lookup, Hostile hostile);

// What the name-server tool gives for a hostile page: its lines as read from the work file,
// or a failure for the answers that are no output at all.
ToolOutput toolOutputFor(const PageParts& parts, Hostile hostile);

// Types the lookup's input into the panel, runs `beforeClick`, clicks the lookup's button and
// waits until the lookup has ended and the panel's loader, if it has one, has gone idle: a
// lookup that loads a second page may give the panel back before that page comes. False when
// the lookup never ends.
bool runLookup(const BuiltPanel& built, const Lookup& lookup, const std::function<void()>& beforeClick = {});

} // namespace veldrin::test
