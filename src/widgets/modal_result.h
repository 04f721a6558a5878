#pragma once

#include <QDialog>

// The result with which a dialog's ShowModal ends. Callers tell Cancel apart from the rest.
constexpr int kModalResultOk = 1;
constexpr int kModalResultCancel = 2;
constexpr int kModalResultAbort = 3;

// ShowModal's result for what QDialog::exec() returned: OK when the dialog was accepted,
// Cancel otherwise (its Cancel button, Escape or its close box).
constexpr int modalResultOf(int execResult) {
    return execResult == QDialog::Accepted ? kModalResultOk : kModalResultCancel;
}
