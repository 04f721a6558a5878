#pragma once

#include "app/app_windows.h"
#include "app/main_form.h"
#include "editor/message_list_model.h"
#include "support/core/test_env.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

// Starts the program's windows as main() does, shows the main window and makes it active, so
// that key presses reach its menu shortcuts.
class AppFixture : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    TForm1& form() { return *windows->Form1; }
    std::string title() const;
    std::vector<std::string> lines() const;
    // Presses a key on the main window (its list has the focus).
    void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    // Fills the list directly and marks it unmodified, as if it had been opened.
    void load(const std::vector<std::string>& lines);
    // Changes the list as the user would: Del on the first row, and OK to the question.
    void deleteFirstRow();

    TempDir dir;
    std::unique_ptr<TAppWindows> windows;

private:
    std::string ownState_;
};
