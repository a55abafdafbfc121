// The HTTP library is loaded on first use or in the background: requests made
// while it is still loading wait for it and then go through.
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <string>
#include <thread>
#include <vector>

#include "platform/xmlhttp.h"
#include "tests/support/fake_http_server.h"

TEST(HttpLibrary, RequestsDuringTheBackgroundLoadAllGetTheirAnswer) {
    FakeHttpServer router;
    router.Route("GET", "/rootDesc.xml", FakeAnswer::Http(200, "<root/>"));
    platform::WarmUpXmlHttp();
    std::vector<platform::XmlHttpResult> results(4);
    std::vector<platform::XmlHttpAnswer> answers(4);
    std::vector<std::thread> senders;
    for (size_t i = 0; i < results.size(); ++i) {
        senders.emplace_back([&, i] {
            platform::XmlHttpRequest request;
            request.url = router.Url("/rootDesc.xml");
            results[i] = platform::XmlHttpSend(request, answers[i]);
        });
    }
    platform::WarmUpXmlHttp();
    for (std::thread& sender : senders) sender.join();
    for (size_t i = 0; i < results.size(); ++i) {
        EXPECT_EQ(platform::XmlHttpResult::kOk, results[i]) << answers[i].error;
        EXPECT_EQ(200, answers[i].status);
        EXPECT_EQ("<root/>", answers[i].body);
    }
}

// A run may end while the library is still loading (a bad port, a quick
// close). Ending at any point of the load, one step of 100 microseconds at a
// time across the whole load, must end the process cleanly: the library's own
// clean-up at exit must never meet a half-done set-up.
TEST(HttpLibrary, AProcessEndingDuringTheBackgroundLoadEndsCleanly) {
    for (int delay = 0; delay <= 12000; delay += 100) {
        std::string micros = std::to_string(delay);
        char* argv[] = {const_cast<char*>(HTTP_LIBRARY_EXIT_PROBE), micros.data(), nullptr};
        pid_t pid = 0;
        ASSERT_EQ(0, posix_spawn(&pid, HTTP_LIBRARY_EXIT_PROBE, nullptr, nullptr, argv, environ));
        int status = 0;
        ASSERT_EQ(pid, waitpid(pid, &status, 0));
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
            << "ended after " << delay << " us with status " << status;
    }
}
