// The web checker's pieces that need no server: the command line, the byte
// codings, the code guide's rendering, the latency histogram, and the fair
// hand-over of the engine.
#include "vyrserve/webchecker.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "vyrserve/guidepage.h"
#include "vyrserve/metrics.h"
#include "vyrserve/options.h"

namespace vyr {
namespace {

TEST(VyrserveOptions, ReadsTheCommandLine) {
  struct CASE {
    std::vector<std::string_view> arguments;
    int good;
    std::string host;
    int port;
    int game;
    std::size_t maxBytes;
    std::string fault;
  };
  const std::vector<CASE> cases = {
      {{}, 1, "127.0.0.1", 8080, 1, 1 << 20, ""},
      {{"--listen", "0.0.0.0:80", "--game", "7"}, 1, "0.0.0.0", 80, 7, 1 << 20, ""},
      {{"--listen=[::1]:9000", "--max-bytes=512"}, 1, "::1", 9000, 1, 512, ""},
      {{"--listen", ":0"}, 1, "0.0.0.0", 0, 1, 1 << 20, ""},
      {{"--listen", "::1:80"}, 0, "", 0, 0, 0, "invalid value '::1:80' for --listen"},
      {{"--listen", "127.0.0.1:65536"}, 0, "", 0, 0, 0, "invalid value '127.0.0.1:65536' for --listen"},
      {{"--listen", "127.0.0.1"}, 0, "", 0, 0, 0, "invalid value '127.0.0.1' for --listen"},
      {{"--listen", "[]:80"}, 0, "", 0, 0, 0, "invalid value '[]:80' for --listen"},
      {{"--game", "-3"}, 0, "", 0, 0, 0, "invalid value '-3' for --game"},
      {{"--game", "+3"}, 0, "", 0, 0, 0, "invalid value '+3' for --game"},
      {{"--game", "99999999999"}, 0, "", 0, 0, 0, "invalid value '99999999999' for --game"},
      {{"--workers", "0"}, 0, "", 0, 0, 0, "invalid value '0' for --workers"},
      {{"--timeout"}, 0, "", 0, 0, 0, "--timeout needs a value"},
      {{"--data="}, 0, "", 0, 0, 0, "invalid value '' for --data"},
      {{"serve"}, 0, "", 0, 0, 0, "unknown option 'serve'"},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.arguments.empty() ? "(none)" : std::string(c.arguments.front()));
    SERVEOPTIONS options;
    std::string fault;
    ASSERT_EQ(parseServeOptions(c.arguments, options, fault), c.good);
    EXPECT_EQ(fault, c.fault);
    if (!c.good) continue;
    EXPECT_EQ(options.host, c.host);
    EXPECT_EQ(options.port, c.port);
    EXPECT_EQ(options.gameNo, c.game);
    EXPECT_EQ(options.maxBytes, c.maxBytes);
  }
}

TEST(VyrserveCoding, Base64RoundTripsAndRefusesWhatIsNot) {
  const std::vector<std::pair<std::string, std::string>> pairs = {
      {"", ""},
      {"f", "Zg=="},
      {"fo", "Zm8="},
      {"foo", "Zm9v"},
      {std::string("\0\xFF\xFE", 3), "AP/+"},
      {"RENAME K\xF6nig\n", "UkVOQU1FIEv2bmlnCg=="},
  };
  for (const auto& [bytes, text] : pairs) {
    SCOPED_TRACE(text);
    EXPECT_EQ(encodeBase64(bytes), text);
    std::string decoded = "left";
    ASSERT_EQ(decodeBase64(text, decoded), 1);
    EXPECT_EQ(decoded, bytes);
  }
  const std::vector<std::string_view> refused = {
      "Zg=", "Zg==Zg==", "Z===", "Zm9v!A==", "Zm 9", std::string_view("Zm\0v", 4)};
  for (const std::string_view bad : refused) {
    SCOPED_TRACE(bad);
    std::string decoded = "left";
    EXPECT_EQ(decodeBase64(bad, decoded), 0);
    EXPECT_EQ(decoded, "left");
  }
}

TEST(VyrserveCoding, KnowsValidUtf8) {
  const std::vector<std::pair<std::string, int>> cases = {
      {"", 1},
      {"plain", 1},
      {"K\xC3\xB6nig", 1},
      {"\xE2\x82\xAC", 1},
      {"\xF0\x9F\x98\x80", 1},
      {std::string("a\0b", 3), 1},
      {"K\xF6nig", 0},
      {"\xC0\xAF", 0},
      {"\xE0\x80\xAF", 0},
      {"\xED\xA0\x80", 0},
      {"\xF4\x90\x80\x80", 0},
      {"\xE2\x82", 0},
      {"\x80", 0},
      {"\xF8\x88\x80\x80\x80", 0},
  };
  for (const auto& [bytes, valid] : cases) {
    SCOPED_TRACE(encodeBase64(bytes));
    EXPECT_EQ(isValidUtf8(bytes), valid);
  }
}

TEST(VyrserveMetrics, EachAnswerCountsInTheFirstBucketThatHoldsIt) {
  SERVERMETRICS metrics;
  for (const double seconds : {0.0004, 0.001, 0.003, 9.5, 10.0, 11.0, 600.0}) metrics.answered(200, false, seconds);
  const std::string text = metrics.text(0);
  struct CASE {
    std::string bound;
    int count;  // answers at most that long
  };
  const std::vector<CASE> cases = {
      {"0.001", 2}, {"0.0025", 2}, {"0.005", 3}, {"2.5", 3}, {"10", 5}, {"+Inf", 7},
  };
  for (const CASE& c : cases) {
    const std::string line =
        "vyrserve_request_duration_seconds_bucket{le=\"" + c.bound + "\"} " + std::to_string(c.count) + "\n";
    EXPECT_NE(text.find(line), std::string::npos) << line << text;
  }
  EXPECT_NE(text.find("vyrserve_request_duration_seconds_count 7\n"), std::string::npos) << text;
}

TEST(VyrserveGuide, RendersTheGuideAsEscapedHtml) {
  struct CASE {
    std::string markdown;
    std::string html;  // a part of the page
  };
  const std::vector<CASE> cases = {
      {"## unknown-command\n", "<h2 id=\"unknown-command\">unknown-command</h2>"},
      {"## `too-many` and more!\n", "<h2 id=\"too-many-and-more\"><code>too-many</code> and more!</h2>"},
      {"A <script>alert(1)</script> & more\n",
       "<p>A <!-- raw HTML omitted -->alert(1)<!-- raw HTML omitted --> &amp; more</p>"},
      {"<div onclick=\"x()\">block</div>\n", "<!-- raw HTML omitted -->"},
      {"[a link](javascript:alert(1))\n", "<a href=\"\">a link</a>"},
      {"Faulty:\n\n    SHIRE 12,3\n    RECRUT <5>\n\nWhy",
       "<pre><code>SHIRE 12,3\nRECRUT &lt;5&gt;\n</code></pre>"},
      {"```\n<b>\n```\n", "<pre><code>&lt;b&gt;\n</code></pre>"},
      {"- one\n- **two**\n", "<ul>\n<li>one</li>\n<li><strong>two</strong></li>\n</ul>"},
      {"", "has no guide to the finding codes"},
      {"\"quoted\" <x\n", "&quot;quoted&quot; &lt;x"},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.markdown);
    const std::string page = renderGuidePage(c.markdown);
    EXPECT_NE(page.find(c.html), std::string::npos) << page;
    EXPECT_EQ(page.find("<script"), std::string::npos);
    EXPECT_NE(page.find("<link rel=\"stylesheet\" href=\"page.css\">"), std::string::npos);
  }
}

TEST(VyrserveGuide, GivesEveryHeadingOfTheShippedGuideAnAnchor) {
  // Each code heading of doc/codes.md becomes an anchor the page links to.
  const std::string page = renderGuidePage("## unknown-game\n## missing-parameter\n## extra-parameter\n");
  for (const std::string_view code : {"unknown-game", "missing-parameter", "extra-parameter"}) {
    EXPECT_NE(page.find("id=\"" + std::string(code) + "\""), std::string::npos) << code;
    EXPECT_EQ(anchorOf(code), code);
  }
  EXPECT_EQ(anchorOf("  Mixed Case, and_more -- "), "mixed-case-and_more---");
}

TEST(VyrserveAnswers, FailuresSpeakTheLanguageOfTheirPath) {
  const HTTPANSWER api = WEBCHECKER::failure(404, "/api/nothing", "not \"found\"");
  EXPECT_EQ(api.contentType, "application/json; charset=utf-8");
  EXPECT_EQ(api.body, "{\"format\":1,\"error\":\"not \\\"found\\\"\"}\n");
  const HTTPANSWER page = WEBCHECKER::failure(404, "/nothing", "not found");
  EXPECT_EQ(page.contentType, "text/plain; charset=utf-8");
  EXPECT_EQ(page.body, "not found\n");
  for (const auto& [name, value] : securityHeaders()) {
    if (name == "Content-Security-Policy") {
      EXPECT_NE(value.find("default-src 'none'"), std::string::npos);
      EXPECT_EQ(value.find("unsafe"), std::string::npos);
    }
  }
}

}  // namespace
}  // namespace vyr
