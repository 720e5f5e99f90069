// Compiled with the catalogue reader's include root alone: its headers need nothing it does not
// export.
#include "i18n/gnu_gettext.h"
#include "i18n/mo_catalogue.h"
