// Contract tests of the HTTP client on both backends (libcurl natively,
// WinINet under Wine) against the loopback server of the test.
#include <gmock/gmock.h>

#include "sysaccess/test_env.h"
#include "sysaccess/testing/loopback_http_server.h"

namespace vl::sys {
namespace {

using ::testing::HasSubstr;
using testing::LoopbackHttpServer;

class HttpContract : public ContractTest {
 protected:
  void SetUp() override {
    ContractTest::SetUp();
    ASSERT_TRUE(server_.ok()) << "the loopback server did not start";
    target_ = folder_ + "\\Update.xml";
  }
  HttpRequest Get(const std::string& path) {
    HttpRequest r;
    r.url = server_.Url(path);
    r.headers = {{"User-Agent", "Mozilla/3.0 (compatible; Indy Library)"}, {"Accept", "text/html, */*"}};
    r.timeoutMs = 20000;
    return r;
  }
  std::string Content() {
    std::string s;
    EXPECT_TRUE(fs().ReadFileBytes(target_, s));
    return s;
  }
  // Only the target itself in the folder: no temporary file left beside it.
  void ExpectNothingBeside(bool targetThere) {
    std::vector<std::string> names;
    fs().WalkFolder(folder_, [&](const FileEntry& e) {
      names.push_back(e.name);
      return true;
    });
    if (targetThere) EXPECT_THAT(names, ::testing::ElementsAre("Update.xml"));
    else EXPECT_THAT(names, ::testing::IsEmpty());
  }

  LoopbackHttpServer server_{60};
  std::string target_;
};

TEST_F(HttpContract, BodyWithLengthIsStored) {
  uint64_t lastExpected = 99, lastReceived = 0;
  HttpRequest r = Get("/len");
  r.progress = [&](uint64_t expected, uint64_t received) {
    lastExpected = expected;
    lastReceived = received;
    return true;
  };
  HttpResult res = http().GetToFile(r, target_);
  ASSERT_EQ(res.outcome, HttpOutcome::kOk) << res.errorText;
  EXPECT_EQ(res.status, 200);
  EXPECT_EQ(res.bytes, LoopbackHttpServer::LenBody().size());
  EXPECT_EQ(Content(), LoopbackHttpServer::LenBody());
  EXPECT_EQ(lastExpected, LoopbackHttpServer::LenBody().size());
  EXPECT_EQ(lastReceived, LoopbackHttpServer::LenBody().size());
  ExpectNothingBeside(true);
}

TEST_F(HttpContract, BodyEndedByCloseIsStoredAndReplacesALongerFile) {
  ASSERT_TRUE(fs().WriteFileBytes(target_, std::string(5000, 'o')));
  uint64_t lastExpected = 99;
  HttpRequest r = Get("/close");
  r.progress = [&](uint64_t expected, uint64_t) {
    lastExpected = expected;
    return true;
  };
  HttpResult res = http().GetToFile(r, target_);
  ASSERT_EQ(res.outcome, HttpOutcome::kOk) << res.errorText;
  EXPECT_EQ(Content(), LoopbackHttpServer::CloseBody());
  EXPECT_EQ(lastExpected, 0u);  // no length announced
  ExpectNothingBeside(true);
}

// A redirect is followed only to https://: the loopback server sends the
// client on to plain http (absolute, then relative), which is refused
// before a second request is made.
TEST_F(HttpContract, ARedirectToPlainHttpIsRefused) {
  for (const char* path : {"/r1", "/r2"}) {
    HttpResult res = http().GetToFile(Get(path), target_);
    EXPECT_EQ(res.outcome, HttpOutcome::kBadRequest) << path << ": " << res.errorText;
  }
  ExpectNothingBeside(false);
  auto requests = server_.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].path, "/r1");
  EXPECT_EQ(requests[1].path, "/r2");
}

// Plain http only to a loopback address, refused before any connection.
TEST_F(HttpContract, PlainHttpToAnyOtherHostIsRefused) {
  for (const char* url : {"http://example.org/x", "http://10.0.0.1/x", "http://127.0.0.1.example.org/x",
                          "http://127.0.0.1@example.org/x", "http://localhost/x", "http://[::2]/x"}) {
    HttpRequest r = Get("/len");
    r.url = url;
    EXPECT_EQ(http().GetToFile(r, target_).outcome, HttpOutcome::kBadRequest) << url;
  }
  ExpectNothingBeside(false);
}

TEST(HttpTransportRule, HttpsAnywhereHttpOnlyToLoopback) {
  for (const char* ok : {"https://updates.example.org/update/Update.xml", "HTTPS://x/", "http://127.0.0.1/u",
                         "http://127.0.0.1:8080/u", "http://127.1.2.3/u", "HTTP://127.0.0.1", "http://[::1]:99/u",
                         "http://[::1]/u", "http://127.255.255.255?x", "http://127.0.0.1#f"})
    EXPECT_TRUE(IsPermittedUrl(ok)) << ok;
  for (const char* bad : {"", "http://example.org/", "http://128.0.0.1/", "http://126.0.0.1/", "http://127.0.0/",
                          "http://127.0.0.1.5/", "http://127.0.0.01/", "http://0177.0.0.1/", "http://127.0.0.256/",
                          "http://127.0.0.1.example.org/", "http://example.org#127.0.0.1", "http://user@127.0.0.1/",
                          "http://127.0.0.1@evil/", "http://127.0.0.1:/", "http://127.0.0.1:80a/",
                          "http://127.0.0.1:123456/", "http://localhost/", "http://[::2]/", "http://[::1/",
                          "http://[::1]x/", "http://127.0.0.1\\@evil/", "http://127.0.0.1%2f@evil/", "ftp://127.0.0.1/",
                          "file:///C:/x", "https:// x/", "http://2130706433/"})
    EXPECT_FALSE(IsPermittedUrl(bad)) << bad;
  EXPECT_TRUE(IsPermittedRedirect("https://mirror.example.org/u"));
  EXPECT_FALSE(IsPermittedRedirect("http://127.0.0.1/u"));
  EXPECT_FALSE(IsPermittedRedirect("http://mirror.example.org/u"));
  EXPECT_FALSE(IsPermittedRedirect("ftp://mirror.example.org/u"));
}

TEST_F(HttpContract, NotFoundKeepsTheOldFile) {
  ASSERT_TRUE(fs().WriteFileBytes(target_, "old good"));
  HttpResult res = http().GetToFile(Get("/missing"), target_);
  EXPECT_EQ(res.outcome, HttpOutcome::kHttpStatus);
  EXPECT_EQ(res.status, 404);
  EXPECT_EQ(Content(), "old good");
  ExpectNothingBeside(true);
}

TEST_F(HttpContract, NotFoundWithoutOldFileLeavesNoFile) {
  HttpResult res = http().GetToFile(Get("/missing"), target_);
  EXPECT_EQ(res.outcome, HttpOutcome::kHttpStatus);
  ExpectNothingBeside(false);
}

TEST_F(HttpContract, AnnouncedBodyOverTheCapIsRefused) {
  ASSERT_TRUE(fs().WriteFileBytes(target_, "old good"));
  HttpRequest r = Get("/big");
  r.maxBytes = 1000;
  HttpResult res = http().GetToFile(r, target_);
  EXPECT_EQ(res.outcome, HttpOutcome::kTooLarge) << res.errorText;
  EXPECT_LE(res.bytes, 1000u);
  EXPECT_EQ(Content(), "old good");
  ExpectNothingBeside(true);
}

TEST_F(HttpContract, UnannouncedBodyOverTheCapIsAbandoned) {
  HttpRequest r = Get("/bigclose");
  r.maxBytes = 100000;
  HttpResult res = http().GetToFile(r, target_);
  EXPECT_EQ(res.outcome, HttpOutcome::kTooLarge) << res.errorText;
  EXPECT_LE(res.bytes, 100000u);
  ExpectNothingBeside(false);
}

TEST_F(HttpContract, BigBodyWithinTheCapArrivesWhole) {
  HttpResult res = http().GetToFile(Get("/big"), target_);
  ASSERT_EQ(res.outcome, HttpOutcome::kOk) << res.errorText;
  EXPECT_EQ(res.bytes, LoopbackHttpServer::BigSize());
  EXPECT_EQ(Content(), std::string(static_cast<size_t>(LoopbackHttpServer::BigSize()), 'b'));
}

TEST_F(HttpContract, ProgressAnsweringFalseCancels) {
  ASSERT_TRUE(fs().WriteFileBytes(target_, "old good"));
  int calls = 0;
  HttpRequest r = Get("/big");
  r.progress = [&](uint64_t expected, uint64_t received) {
    EXPECT_EQ(expected, LoopbackHttpServer::BigSize());
    EXPECT_GT(received, 0u);
    return ++calls < 2;
  };
  HttpResult res = http().GetToFile(r, target_);
  EXPECT_EQ(res.outcome, HttpOutcome::kCancelled) << res.errorText;
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(Content(), "old good");
  ExpectNothingBeside(true);
}

TEST_F(HttpContract, ShortBodyIsAFailure) {
  ASSERT_TRUE(fs().WriteFileBytes(target_, "old good"));
  HttpResult res = http().GetToFile(Get("/short"), target_);
  EXPECT_EQ(res.outcome, HttpOutcome::kTransferFailed) << res.errorText;
  EXPECT_EQ(Content(), "old good");
  ExpectNothingBeside(true);
}

TEST_F(HttpContract, RequestHeadersAreSent) {
  HttpResult res = http().GetToFile(Get("/echo"), target_);
  ASSERT_EQ(res.outcome, HttpOutcome::kOk) << res.errorText;
  std::string echoed = Content();
  EXPECT_THAT(echoed, HasSubstr("User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n"));
  EXPECT_THAT(echoed, HasSubstr("Accept: text/html, */*\r\n"));
}

TEST_F(HttpContract, NoServerIsAConnectFailure) {
  uint16_t port;
  {
    LoopbackHttpServer gone(1);
    port = gone.port();
  }
  HttpRequest r = Get("/len");
  r.url = "http://127.0.0.1:" + std::to_string(port) + "/len";
  HttpResult res = http().GetToFile(r, target_);
  EXPECT_EQ(res.outcome, HttpOutcome::kConnectFailed) << res.errorText;
  ExpectNothingBeside(false);
}

TEST_F(HttpContract, OtherSchemesAndHeaderBreaksAreRefused) {
  HttpRequest r = Get("/len");
  r.url = "file:///etc/passwd";
  EXPECT_EQ(http().GetToFile(r, target_).outcome, HttpOutcome::kBadRequest);
  r.url = "ftp://127.0.0.1/x";
  EXPECT_EQ(http().GetToFile(r, target_).outcome, HttpOutcome::kBadRequest);
  r = Get("/len");
  r.headers.push_back({"X-Test", "a\r\nInjected: yes"});
  EXPECT_EQ(http().GetToFile(r, target_).outcome, HttpOutcome::kBadRequest);
  ExpectNothingBeside(false);
}

TEST_F(HttpContract, ReadOnlyTargetIsAFileErrorAndStays) {
  ASSERT_TRUE(fs().WriteFileBytes(target_, "old good"));
  ASSERT_EQ(0u, fs().SetAttributes(target_, kAttrReadOnly));
  HttpResult res = http().GetToFile(Get("/len"), target_);
  EXPECT_EQ(res.outcome, HttpOutcome::kFileError);
  EXPECT_EQ(Content(), "old good");
  ASSERT_EQ(0u, fs().SetAttributes(target_, kAttrNormal));
  ExpectNothingBeside(true);
}

}  // namespace
}  // namespace vl::sys
