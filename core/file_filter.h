#pragma once

#include <string>

namespace tintwell {

// One row of the open dialog's filter: the text it shows and the masks it applies
// ("*.jpg;*.jpeg"). The format registry builds the rows; the dialog shows them.
struct TFileFilterRow {
    std::string Text;
    std::string Masks;
    friend bool operator==(const TFileFilterRow&, const TFileFilterRow&) = default;
};

} // namespace tintwell
