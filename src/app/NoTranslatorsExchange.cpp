// A build without the exchange layer (no pugixml or libgettextpo) offers no
// translators' exchange in the window.
#include "app/ExchangeDialogLogic.h"

namespace sw {

std::unique_ptr<ITranslatorsExchange> MakeTranslatorsExchange() { return nullptr; }

}  // namespace sw
