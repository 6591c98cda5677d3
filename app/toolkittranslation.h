#pragma once

#include <QTranslator>
#include <memory>

class QCoreApplication;

namespace veldrin {

// The toolkit's own texts (message-box buttons and the like) in Simplified Chinese, from the
// system's Qt translations; where they are not installed the toolkit stays in English. The
// translation must live as long as the application; null when none was found.
std::unique_ptr<QTranslator> installToolkitTranslation(QCoreApplication& app);

} // namespace veldrin
