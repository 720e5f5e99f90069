#include "fuzz_loader.h"

TINTWELL_FUZZ_TARGET("ico")
