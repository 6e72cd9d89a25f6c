// How the engines tell the technician something, whoever shows it.
#pragma once
#include <functional>
#include <string>

// Shows one message to the technician: a message box in a window, a line on standard error on
// the command line, a record in tests.
using ShowMessageFn = std::function<void(const std::wstring&)>;
