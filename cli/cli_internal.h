#pragma once

// Shared by the command implementations of tintwell-cli; not part of its interface.

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

// A file name made safe for one line of text: control bytes as \xNN, nothing cut.
std::string PrintableFileName(std::string_view name);

int RunAverage(std::span<const std::string> args, std::ostream& out, std::ostream& err);
int RunStats(std::span<const std::string> args, std::ostream& out, std::ostream& err);
int RunHistogram(std::span<const std::string> args, std::ostream& out, std::ostream& err);
int RunInfo(std::span<const std::string> args, std::ostream& out, std::ostream& err);

} // namespace tintwell::cli
