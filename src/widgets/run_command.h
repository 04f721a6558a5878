#pragma once

#include <exception>
#include <functional>
#include <utility>

// Hands the error `failure` to the program's error report. False when the program has none.
bool reportCommandError(std::exception_ptr failure);

// The program's error report: told every error that a command ends with (an error that is no
// std::exception as "Unknown error"). The application sets it when it starts.
void setCommandErrorReport(std::function<void(const std::exception&)> report);

// Runs one command of the user (a menu item, a dialog button, a double click). An error that
// it throws ends the command there and goes to the program's error report, so that no error
// crosses the toolkit's delivery of the signal or event that started the command. Without a
// report the error goes on to the caller.
template <class Command>
void runCommand(Command&& command) {
    try {
        std::forward<Command>(command)();
    } catch (...) {
        if (!reportCommandError(std::current_exception()))
            throw;
    }
}
