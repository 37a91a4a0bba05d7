// A build without the exchange layer (no pugixml or libgettextpo) offers no
// translators' exchange in the window, and its items view is read-only.
#include "window/ExchangeDialogLogic.h"
#include "window/ItemsViewLogic.h"

namespace sw {

std::unique_ptr<ITranslatorsExchange> MakeTranslatorsExchange() { return nullptr; }
std::unique_ptr<ITranslationSaver> MakeTranslationSaver() { return nullptr; }

}  // namespace sw
