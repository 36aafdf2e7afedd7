// SPDX-License-Identifier: MIT
// Stopping the process on an unrecoverable fault.
#pragma once

#include <string_view>

namespace kavorn {

// Writes "Fatal error: <message>" to standard error and aborts the process.
[[noreturn]] void fatalError(std::string_view message);

}  // namespace kavorn
