// Unit tests of vyrmail's parts that the mail corpus reaches only through
// whole mails: the text decoding, the loop rules, the header cleaning, the
// store's line count, names and two-step filing, the roster and the
// configuration file.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "vyrmail/loops.h"
#include "vyrmail/mailparse.h"
#include "vyrmail/options.h"
#include "vyrmail/reply.h"
#include "vyrmail/roster.h"
#include "vyrmail/store.h"
#include "vyrmail/textdecode.h"

namespace vyr {
namespace {

TEST(VyrmailDecode, CharsetsFallbacksLineEndsAndMarks) {
  struct CASE {
    std::string bytes;
    std::string charset;
    std::string text;
    std::string notes;  // joined by "; "
  };
  const CASE cases[] = {
      {"STUDY Fire\n", "", "STUDY Fire\n", ""},
      {"Gr\xFC\xDF" "e\n", "iso-8859-1", "Gr\xC3\xBC\xC3\x9F" "e\n", "ISO-8859-1 converted to UTF-8"},
      {"Gr\xC3\xBC\xC3\x9F" "e\n", "", "Gr\xC3\xBC\xC3\x9F" "e\n", "undeclared 8-bit text taken as UTF-8"},
      {"\x93quoted\x94\n", "", "\xE2\x80\x9Cquoted\xE2\x80\x9D\n",
       "undeclared 8-bit text taken as Windows-1252, converted to UTF-8"},
      {"\xA4 euro\n", "us-ascii", "\xE2\x82\xAC euro\n",
       "undeclared 8-bit text taken as ISO-8859-15, converted to UTF-8"},
      {"Gr\xFC\n", "utf-8", "Gr\xC3\xBC\n", "not valid UTF-8 as declared, taken as ISO-8859-15, converted to UTF-8"},
      {"Gr\xFC\n", "x-no-such-charset", "Gr\xC3\xBC\n", "charset x-no-such-charset not readable, taken as ISO-8859-15"},
      {"a\r\nb\r\n", "", "a\nb\n", "CRLF line ends made LF"},
      {"a\rb\n", "", "a\nb\n", "1 lone CR made LF"},
      {"\xEF\xBB\xBF#VYR\n\xEF\xBB\xBF" "BANISH 3\nx \xEF\xBB\xBFy\n", "utf-8", "#VYR\nBANISH 3\nx \xEF\xBB\xBFy\n",
       "2 byte-order marks dropped"},
      {"\xEF\xBB\xBF\xEF\xBB\xBFx\n", "utf-8", "x\n", "2 byte-order marks dropped"},
  };
  for (const CASE& c : cases) {
    const DECODEDTEXT decoded = decodeText(c.bytes, c.charset);
    std::string notes;
    for (const std::string& note : decoded.notes) notes += (notes.empty() ? "" : "; ") + note;
    EXPECT_EQ(decoded.text, c.text) << c.bytes;
    EXPECT_EQ(notes, c.notes) << c.bytes;
  }
}

TEST(VyrmailLoops, WhoIsAnsweredAndWho) {
  struct CASE {
    std::string header;
    std::string reason;  // "" for a reply
  };
  const CASE cases[] = {
      {"From: a@example.org\n", ""},
      {"Return-Path: <>\nFrom: a@example.org\n", "null sender"},
      {"Return-Path: <b@example.org>\nFrom: a@example.org\n", ""},
      {"From: Mailer-Daemon@mx.example\n", "sender mailer-daemon"},
      {"Auto-Submitted: no\nFrom: a@example.org\n", ""},
      {"Auto-Submitted: auto-notified; owner-email=x@y\nFrom: a@example.org\n", "Auto-Submitted: auto-notified"},
      {"Precedence: first-class\nFrom: a@example.org\n", ""},
      {"Precedence: Bulk\nFrom: a@example.org\n", "Precedence: bulk"},
      {"X-Loop: someone-else\nFrom: a@example.org\n", ""},
      {"X-Loop: vyrmail\nFrom: a@example.org\n", "own X-Loop mark"},
      {"From: \"a b\"@example.org\n", "sender address not usable"},
      {"Return-Path: <alice@example\xFF.org>\n", "sender address not usable"},
  };
  for (const CASE& c : cases) {
    const MAILVIEW mail = parseMail(c.header + "\nbody\n");
    EXPECT_EQ(noReplyReason(mail, replyAddress(mail, "", 0)), c.reason) << c.header;
  }
  const MAILVIEW mail = parseMail("Return-Path: <a@example.org>\n\nx\n");
  EXPECT_EQ(replyAddress(mail, "<>", 1), "");
  EXPECT_EQ(replyAddress(mail, "b@example.org", 1), "b@example.org");
}

TEST(VyrmailReply, HeaderValuesCannotAddFields) {
  EXPECT_EQ(cleanHeaderValue("Orders\r\nBcc: x@y"), "Orders Bcc: x@y");
  EXPECT_EQ(cleanHeaderValue("  a\t\tb \n"), "a b");
  EXPECT_EQ(cleanHeaderValue("\xC3\xBC\xC3\xBC", 3), "\xC3\xBC");  // cut at a character's start
  EXPECT_EQ(cleanMessageIds("<a@b> junk <c d@e> <f@g\r\nBcc: x> <h@i>"), "<a@b> <h@i>");
  REPLY reply;
  reply.from = "gm@vyr.example";
  reply.to = "a@example.org\r\nBcc: victim@evil.example";
  reply.subject = "x\nBcc: victim@evil.example";
  reply.inReplyTo = "m@x>\nBcc: <victim@evil.example";
  const std::string message = composeReply(reply);
  EXPECT_EQ(message.find("\nBcc:"), std::string::npos) << message;
}

TEST(VyrmailStore, ChangedLinesAndNames) {
  struct CASE {
    std::string before;
    std::string after;
    int changed;
  };
  // A middle too large to compare line by line (2,102 by 2,102 lines, past
  // four million pairs) counts every line of the longer side as changed.
  std::string middle;
  for (int k = 0; k < 2100; ++k) middle += "line " + std::to_string(k) + "\n";
  const CASE cases[] = {
      {"a\nb\nc\n", "a\nb\nc\n", 0}, {"a\nb\nc\n", "a\nB\nc\n", 1}, {"a\nb\nc\n", "a\nc\n", 1},
      {"a\nc\n", "a\nb\nb2\nc\n", 2}, {"", "a\nb\n", 2},             {"a\nb\nc\nd\n", "d\nc\nb\na\n", 3},
      {"x\n" + middle + "y\n", "X\n" + middle + "Y\n", 2102},
  };
  for (const CASE& c : cases) EXPECT_EQ(changedLineCount(c.before, c.after), c.changed) << c.before << c.after;
  EXPECT_EQ(safeName("Alice@Example.ORG"), "alice@example.org");
  EXPECT_EQ(safeName("../../etc"), "_.._.._etc");
  EXPECT_EQ(safeName(".."), "_..");
  EXPECT_EQ(safeName(""), "_");
  EXPECT_EQ(safeName("a/b\nc"), "a_b_c");
}

TEST(VyrmailStore, FilingIsAllOrNothing) {
  const std::string root = ::testing::TempDir() + "vyrmail-store-" + std::to_string(::getpid());
  std::filesystem::remove_all(root);
  STORE store(root, 7);
  std::string error;
  {
    FILING abandoned;
    ASSERT_TRUE(store.prepare("p", "one\n", "mail\n", abandoned, error)) << error;
  }  // dropped without commit: nothing filed, no temporary left
  const std::string folder = root + "/game-7/p";
  EXPECT_FALSE(std::filesystem::exists(folder + "/orders.txt"));
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
    EXPECT_EQ(entry.path().filename().string().find(".tmp-"), std::string::npos) << entry.path();
  }
  for (const char* orders : {"one\ntwo\n", "one\n2\n"}) {
    FILING filing;
    ASSERT_TRUE(store.prepare("p", orders, "mail\n", filing, error)) << error;
    ASSERT_TRUE(STORE::commit(filing, error)) << error;
  }
  std::ifstream in(folder + "/orders.txt");
  std::string first;
  std::getline(in, first);
  EXPECT_EQ(first, "one");
  EXPECT_TRUE(std::filesystem::exists(folder + "/history/0002.eml"));
  EXPECT_FALSE(std::filesystem::exists(folder + "/history/0003.txt"));
  FILING third;
  ASSERT_TRUE(store.prepare("p", "one\n2\n", "mail\n", third, error));
  EXPECT_EQ(third.number, 3);
  EXPECT_EQ(third.replaces, 1);
  EXPECT_EQ(third.changedLines, 0);
  EXPECT_EQ(third.receipt, receiptOf("one\n2\n"));
  STORE::abandon(third);
  std::ofstream(folder + "/history/9999.txt") << "old\n";
  for (int expected : {10000, 10001}) {
    FILING filing;
    ASSERT_TRUE(store.prepare("p", "x\n", "mail\n", filing, error));
    EXPECT_EQ(filing.number, expected);
    ASSERT_TRUE(STORE::commit(filing, error));
  }
  EXPECT_EQ(store.allowReply("a@b", 2, 1000, error), 1);
  EXPECT_EQ(store.allowReply("a@b", 2, 1001, error), 1);
  EXPECT_EQ(store.allowReply("a@b", 2, 1002, error), 0);
  EXPECT_EQ(store.allowReply("a@b", 2, 1000 + 3600, error), 1);  // the first reply is an hour old
  std::filesystem::remove_all(root);
}

TEST(VyrmailRoster, LinesPasswordsAndFaults) {
  ASSERT_TRUE(initSodium());
  const std::string hash = hashPassword("s3cret");
  ROSTER roster;
  std::string error;
  ASSERT_TRUE(parseRoster("# players\n\nember " + hash + " A@X.org b@y.org\nashen " + hash + " a@x.org\n", "r",
                          roster, error))
      << error;
  ASSERT_EQ(roster.entries.size(), 2u);
  EXPECT_EQ(entriesFor(roster, "a@x.ORG").size(), 2u);
  EXPECT_EQ(entriesFor(roster, "c@x.org").size(), 0u);
  EXPECT_TRUE(passwordMatches(roster.entries[0], "s3cret"));
  EXPECT_FALSE(passwordMatches(roster.entries[0], "s3cret "));
  EXPECT_FALSE(passwordMatches(roster.entries[0], ""));
  EXPECT_EQ(headerPassword("#VYR Game 1 Ember s3cret"), "s3cret");
  EXPECT_EQ(headerPassword("#VYR"), "");
  const std::pair<std::string, std::string> faults[] = {
      {"ember " + hash + "\n", "r:1: a player needs a name, a password hash and an address"},
      {"\nember plain a@x.org\n", "r:2: not a password hash (make one with vyrmail --hash-password)"},
  };
  for (const auto& [text, fault] : faults) {
    ROSTER bad;
    EXPECT_FALSE(parseRoster(text, "r", bad, error));
    EXPECT_EQ(error, fault);
  }
}

TEST(VyrmailOptions, CommandLineAndConfigurationFile) {
  SETTINGS settings;
  std::string fault;
  ASSERT_TRUE(parseVyrmailConfig("# desk\ngame = 7\nfrom=gm@vyr.example\n  max-replies = 0\n", "c", settings, fault))
      << fault;
  EXPECT_EQ(settings.gameNo, 7);
  EXPECT_EQ(settings.from, "gm@vyr.example");
  EXPECT_EQ(settings.maxReplies, 0);
  const std::pair<std::string, std::string> faults[] = {
      {"game 7\n", "c:1: a setting is NAME = VALUE"},
      {"\ngame = x\n", "c:2: game wants a number"},
      {"colour = red\n", "c:1: unknown setting colour"},
  };
  for (const auto& [text, expected] : faults) {
    SETTINGS other;
    EXPECT_FALSE(parseVyrmailConfig(text, "c", other, fault));
    EXPECT_EQ(fault, expected);
  }
  ASSERT_TRUE(parseVyrmailOptions({"--game=3", "--max-bytes", "100", "--sender", "<>"}, settings, fault)) << fault;
  EXPECT_EQ(settings.gameNo, 3);
  EXPECT_EQ(settings.maxBytes, 100);
  EXPECT_EQ(settings.haveSender, 1);
  EXPECT_FALSE(parseVyrmailOptions({"--max-bytes", "-1"}, settings, fault));
  EXPECT_FALSE(parseVyrmailOptions({"--max-bytes", "9223372036854775807"}, settings, fault));
  EXPECT_FALSE(parseVyrmailOptions({"--store"}, settings, fault));
  EXPECT_EQ(fault, "--store wants a value");
}

}  // namespace
}  // namespace vyr
