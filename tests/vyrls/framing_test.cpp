#include "vyrls/framing.h"

#include <gtest/gtest.h>

#include "vyrls/scheduler.h"

namespace vyr {
namespace {

std::string framed(const std::string& body, long long lengthOffset = 0) {
  return "Content-Length: " + std::to_string(static_cast<long long>(body.size()) + lengthOffset) +
         "\r\n\r\n" + body;
}

// Every case is fed in pieces of each size from 1 to the whole, so that a
// message split anywhere reads the same.
TEST(VyrlsFraming, TheReaderFindsEveryMessageWhateverComesBetween) {
  struct CASE {
    const char* what;
    std::string bytes;
    // What comes out; "!" for a body that is no JSON, "big" and the id for
    // one above the limit.
    std::vector<std::string> bodies;
    std::size_t limit = MESSAGEREADER::kDefaultLimit;
  };
  const std::string a = R"({"id":1})";
  const std::string b = R"({"id":2})";
  const CASE cases[] = {
      {"two messages", framed(a) + framed(b), {a, b}},
      {"other headers and bare line feeds",
       "Content-Type: x\r\ncontent-length:  8 \n\n" + a + framed(b),
       {a, b}},
      {"a length too short", framed(a, -3) + framed(b), {"!", b}},
      {"a length too long", framed(a, 10) + framed(b), {"!", b}},
      {"no length", "Content-Type: x\r\n\r\n" + framed(a), {a}},
      {"a bad length", "Content-Length: -4\r\n\r\n" + framed(a), {a}},
      {"a body above the limit", framed(std::string(50, 'x')) + framed(a), {"big null", a}, 20},
      {"a request above the limit",
       framed(R"({"jsonrpc":"2.0","id":7,"method":"m","params":"xxxxxxxx"})") + framed(a),
       {"big 7", a},
       20},
      {"an id after one of the parameters",
       framed(R"({"params":{"id":3,"more":[1,{"id":4}]},"id":"k9","method":"m"})") + framed(a),
       {"big \"k9\"", a},
       20},
      {"an id after a list of parameters",
       framed(R"({"jsonrpc":"2.0","params":[1,[2],3],"id":8,"method":"m"})") + framed(a),
       {"big 8", a},
       20},
      {"a notification above the limit",
       framed(R"({"jsonrpc":"2.0","method":"m","params":[1,2,3,4,5,6]})"),
       {"big null"},
       20},
      {"two above the limit",
       framed(std::string(30, 'y')) + framed(std::string(40, 'z')) + framed(b),
       {"big null", "big null", b},
       20},
      {"not JSON", framed("{oops") + framed(a), {"!", a}},
  };
  for (const CASE& c : cases) {
    for (std::size_t piece = 1; piece <= c.bytes.size(); ++piece) {
      SCOPED_TRACE(std::string(c.what) + ", pieces of " + std::to_string(piece));
      MESSAGEREADER reader(c.limit);
      std::vector<std::string> bodies;
      for (std::size_t at = 0; at < c.bytes.size(); at += piece) {
        reader.feed(std::string_view(c.bytes).substr(at, piece));
        for (INCOMING incoming; nextIncoming(reader, incoming);) {
          bodies.push_back(incoming.oversized != 0 ? "big " + incoming.message.dump()
                           : incoming.valid        ? incoming.message.dump()
                                                   : "!");
        }
      }
      ASSERT_EQ(bodies, c.bodies);
      EXPECT_EQ(reader.pending(), 0u);
    }
  }
}

// The first bytes of a body above the limit are all that is kept of it; the id
// is read from them when it comes early enough.
TEST(VyrlsFraming, TheIdOfATooLargeMessageIsReadFromItsFirstBytes) {
  MESSAGEREADER reader(100);
  const std::string body =
      R"({"jsonrpc":"2.0","method":"m","params":{"text":")" + std::string(5000, 'x') + R"("},"id":12})";
  reader.feed(framed(body).substr(0, 2000));
  INCOMING incoming;
  EXPECT_FALSE(nextIncoming(reader, incoming));  // neither the id nor the end has come
  reader.feed(framed(body).substr(2000));
  ASSERT_TRUE(nextIncoming(reader, incoming));
  EXPECT_EQ(incoming.oversized, body.size());
  EXPECT_TRUE(incoming.message.is_null());  // the id came after the kept bytes
  EXPECT_EQ(reader.pending(), 0u);
  EXPECT_FALSE(nextIncoming(reader, incoming));
}

TEST(VyrlsFraming, MessagesAreFramedWithTheirLengthInBytes) {
  EXPECT_EQ(frameMessage("{\"a\":\"ü\"}"), "Content-Length: 10\r\n\r\n{\"a\":\"ü\"}");
  // Text that is not UTF-8 is replaced, not thrown over.
  EXPECT_EQ(messageText(nlohmann::json{{"a", "x\xff"}}), "{\"a\":\"x\xef\xbf\xbd\"}");
}

TEST(VyrlsScheduler, ABurstOfChangesIsOneCheckInTheOrderAskedFirst) {
  struct CASE {
    std::vector<std::string> steps;  // "+uri" asks, "-uri" drops
    std::vector<std::string> checks;
  };
  const CASE cases[] = {
      {{"+a", "+a", "+a"}, {"a"}},
      {{"+a", "+b", "+a"}, {"a", "b"}},
      {{"+a", "+b", "-a"}, {"b"}},
      {{"+a", "-a", "+a"}, {"a"}},
      {{"-a"}, {}},
  };
  for (const CASE& c : cases) {
    CHECKSCHEDULER scheduler;
    for (const std::string& step : c.steps) {
      if (step[0] == '+') {
        scheduler.request(step.substr(1));
      } else {
        scheduler.drop(step.substr(1));
      }
    }
    std::vector<std::string> checks;
    for (std::string uri; scheduler.next(uri);) checks.push_back(uri);
    EXPECT_EQ(checks, c.checks);
    EXPECT_EQ(scheduler.waiting(), 0);
  }
}

}  // namespace
}  // namespace vyr
