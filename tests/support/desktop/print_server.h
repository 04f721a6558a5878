#pragma once

#include "support/core/test_env.h"
#include "support/desktop/child_process.h"

#include <memory>
#include <string>

// A print server of the test's own, standing in for a machine with an office printer: one
// queue, "Office", the default, which prints into nothing and keeps every job it took in its
// history. It listens only on a socket in the test's directory.
class PrivatePrintServer {
public:
    explicit PrivatePrintServer(const TempDir& dir);
    ~PrivatePrintServer();
    PrivatePrintServer(const PrivatePrintServer&) = delete;
    PrivatePrintServer& operator=(const PrivatePrintServer&) = delete;

    // False when the server cannot run here (not installed, refused to start); error() says why.
    bool ready() const { return error_.empty(); }
    const std::string& error() const { return error_; }
    // The server's address for the print system's clients (CUPS_SERVER).
    const std::string& address() const { return socket_; }
    // The jobs that the queue has taken, finished or not, one line each.
    std::string jobs();

private:
    std::string root_;
    std::string socket_;
    std::string error_;
    ChildEnvironment env_;
    std::unique_ptr<ChildProcess> server_;
};
