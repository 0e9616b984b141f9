#pragma once
// Errors of the printing layer, named as the class library and the runtime
// named them: EPrinter for a printer that refuses an operation (or is not
// there at all), EInOutError for a device or file that cannot be opened or
// written.
#include "platform/Exception.h"

TOLVEX_DECLARE_EXCEPTION(EPrinter, Exception)
TOLVEX_DECLARE_EXCEPTION(EInOutError, Exception)
