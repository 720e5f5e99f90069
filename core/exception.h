#pragma once

#include <exception>
#include <string>

namespace tintwell {

// The base of every error this program raises: a message and nothing more. The message is
// shown to the user as it stands (the error box adds the closing full stop, the CLI does not).
class Exception : public std::exception {
public:
    explicit Exception(std::string message) : FMessage(std::move(message)) {}
    const char* what() const noexcept override { return FMessage.c_str(); }
    const std::string& Message() const noexcept { return FMessage; }

private:
    std::string FMessage;
};

// A text that a number conversion cannot read.
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

// The silent abort: ends an operation without telling the user anything; the error box shows
// nothing for it.
class EAbort : public Exception {
public:
    EAbort() : Exception("Operation aborted") {}
};

} // namespace tintwell
