// Compiled with the catalogue reader's include root and Qt's: the reader's header is found, and
// the translation module's must not be, because it is only for what links the translation module.
#include "i18n/gnu_gettext.h"
#include "i18n/translation.h"
