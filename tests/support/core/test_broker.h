#pragma once

#include "support/core/test_env.h"

#include <string>
#include <sys/types.h>
#include <vector>

// A Mosquitto broker of the test's own: `mosquitto -c <config>` in a temporary directory, on a
// free port of 127.0.0.1, with a password file made by mosquitto_passwd and an ACL, no
// anonymous users and nothing kept on disk. It can be stopped and started again on its port.
class TestBroker {
public:
    struct User {
        std::string name;
        std::string password;
        // ACL lines of the user: "topic read lumavane/+/+/result", ...
        std::vector<std::string> acl;
    };

    // Why no broker can be started here (mosquitto or mosquitto_passwd not installed); empty
    // when it can.
    static std::string missing();

    explicit TestBroker(const std::vector<User>& users);
    // Stops the broker.
    ~TestBroker();
    TestBroker(const TestBroker&) = delete;
    TestBroker& operator=(const TestBroker&) = delete;

    int port() const { return port_; }
    // "mqtt://127.0.0.1:<port>"
    std::string url() const;
    // A file of the broker's directory.
    std::string file(const std::string& name) const { return dir_.file(name); }

    // Ends the broker (SIGTERM) and waits for it.
    void stop();
    // Starts it on its port and waits until it takes connections (at most 5 seconds).
    void start();

private:
    TempDir dir_;
    int port_ = 0;
    pid_t pid_ = -1;
};
