#pragma once

class QCoreApplication;

namespace perne {

// Loads Qt's own Japanese texts (an input box's context menu, standard buttons) from the
// system's Qt translations folder, whatever the desktop's language: every other text of the
// program is Japanese too. Returns false when they are not installed (the texts stay
// English; Debian's qt6-translations-l10n has them).
bool installQtJapanese(QCoreApplication &app);

} // namespace perne
