#pragma once

#include "support/fakepageloader.h"
#include "support/recorders.h"

namespace veldrin::test {

// One tool panel built alone over fake page loaders, its boxes recording the panel behind
// them: where the tests of a loader lookup start. `web` is the panel's loader named `loader`.
struct FakeLoaderPanel
{
    FakeLoaderPanel(const QString& frame, const QString& loader)
    {
        loaders.install(seams.context);
        built = buildPanel(frame, seams.context);
        web = loaders.named(loader);
        seams.dialogs.watched = built.panel.get();
    }

    TestSeams seams;
    FakeLoaderFactory loaders;
    BuiltPanel built;
    FakePageLoader* web = nullptr;
};

} // namespace veldrin::test
