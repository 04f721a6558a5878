#pragma once

// Permission bits do not stop root. A test of what they refuse starts with
//
//     if (rerunUnprivileged())
//         return;
//
// When this process runs as root, the current test is run again in a child process of the same
// test binary as the unprivileged user "nobody" (with its own private environment), and its
// result becomes this test's result: true is returned and the caller ends. False when the test
// body is to run here: the process is not root, or it is that child. The test is skipped when
// the child cannot be started.
bool rerunUnprivileged();
