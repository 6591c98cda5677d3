#include "app/toolkittranslation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>

namespace veldrin {

std::unique_ptr<QTranslator> installToolkitTranslation(QCoreApplication& app)
{
    auto translator = std::make_unique<QTranslator>();
    // The interface is Simplified Chinese whatever the desktop's language.
    if (!translator->load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return nullptr;
    app.installTranslator(translator.get());
    return translator;
}

} // namespace veldrin
