#include "core/version.h"

namespace tintwell {

std::string_view ProgramVersion() noexcept { return TINTWELL_VERSION; }

} // namespace tintwell
