#pragma once

// Shared by the command implementations of tintwell-cli; not part of its interface.

#include <cstddef>
#include <initializer_list>
#include <ostream>
#include <span>
#include <string>
#include <string_view>

namespace tintwell::cli {

// Joins message parts by appending: GCC 12 warns falsely (-Wrestrict) on "literal" + std::string.
std::string Join(std::initializer_list<std::string_view> parts);

// Writes "tintwell-cli: <message>" and the hint to --help; returns the usage exit code.
int UsageError(std::ostream& err, std::string_view message);

// Whether args[i] is the option `name` ("--name VALUE" or "--name=VALUE"); when it is, value holds
// its value and i has moved past a separate one. `Missing` when "--name" is the last argument.
enum class TOption { No, Value, Missing };
TOption OptionValue(std::span<const std::string> args, std::size_t& i, std::string_view name,
                    std::string_view& value);

// A file name made safe for one line of text: control bytes as \xNN, nothing cut.
std::string PrintableFileName(std::string_view name);

int RunAverage(std::span<const std::string> args, std::ostream& out, std::ostream& err);
int RunStats(std::span<const std::string> args, std::ostream& out, std::ostream& err);
int RunHistogram(std::span<const std::string> args, std::ostream& out, std::ostream& err);
int RunInfo(std::span<const std::string> args, std::ostream& out, std::ostream& err);

} // namespace tintwell::cli
