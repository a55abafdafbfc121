// The HTTP library is loaded on first use or in the background: requests made
// while it is still loading wait for it and then go through.
#include <gtest/gtest.h>

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
