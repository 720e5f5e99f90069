#pragma once

#include "core/exception.h"

namespace tintwell {

// A file whose content its graphic class cannot read, or an operation a graphic does not support.
class EInvalidGraphic : public Exception {
public:
    using Exception::Exception;
};

// A file that cannot be opened or read at all.
class EFOpenError : public Exception {
public:
    using Exception::Exception;
};

// libjpeg refused the data: "JPEG error #<libjpeg message number>".
class EJPEG : public Exception {
public:
    using Exception::Exception;
};

// libtiff refused the data or the reader cannot represent it. Its messages begin "ETiffError ",
// except the compression-against-pixel-format message, which callers know by its own wording.
class ETiffError : public Exception {
public:
    using Exception::Exception;
};

} // namespace tintwell
