#pragma once

#include <gtest/gtest.h>

#include "net/web_client.h"
#include "test_server.h"

namespace lilan::test {

// A test server with the routes the client tests talk to, and a clean proxy
// environment.
class ServedTest : public ::testing::Test {
protected:
    ServedTest();

    std::string Url(std::string_view path) const { return server.Url(path); }

    NoProxyEnvironment environment;
    TestServer server;
    WebClient web; // after the server: gone before it, so no connection outlives a test
};

} // namespace lilan::test
