#include "widgets/run_command.h"

#include "base/ui_text.h"

#include <stdexcept>

namespace {

std::function<void(const std::exception&)>& commandErrorReport() {
    static std::function<void(const std::exception&)> report;
    return report;
}

} // namespace

bool reportCommandError(std::exception_ptr failure) {
    const auto& report = commandErrorReport();
    if (!report || !failure)
        return false;
    try {
        std::rethrow_exception(failure);
    } catch (const std::exception& error) {
        report(error);
    } catch (...) {
        report(std::runtime_error(uiText("TApplication", "Unknown error")));
    }
    return true;
}

void setCommandErrorReport(std::function<void(const std::exception&)> report) {
    commandErrorReport() = std::move(report);
}
