// The handling of one incoming mail, short of sending: whether to answer,
// what the orders are, their check, the reply and the filings prepared in
// the store. The program (vyrmail.cpp) sends the reply and then commits the
// filings, or abandons them when the reply could not be handed over; so a
// mail server's retry of a failed delivery does all of it once.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "vyrmail/reply.h"
#include "vyrmail/roster.h"
#include "vyrmail/store.h"

namespace vyr {

// The settings of a run (command line and configuration file).
struct SETTINGS {
  std::string data;  // archive or folder of the game data; "" for syntax.dat beside the program
  int gameNo = 1;
  std::string from;  // the replies' sender; "" for vyrmail@HOST
  std::string sendmail = "/usr/sbin/sendmail -t -oi";
  std::string store;   // "" files nothing
  std::string roster;  // "" takes the sender's address as the player
  std::string maildir;
  std::string log;     // "" logs to standard error
  std::string sender;  // the envelope sender the mail server hands over ("<>" for none)
  int haveSender = 0;
  long long maxBytes = 1 << 20;
  int maxReplies = 10;  // per sender and hour; 0 for no limit
  int hashPassword = 0;
  int help = 0;
  int version = 0;
};

// What the handling decided.
struct HANDLING {
  int tempFail = 0;       // 1: retry later (EX_TEMPFAIL); nothing was filed
  std::string fault;      // why, with tempFail
  int answer = 0;         // 1: `reply` is to be sent
  REPLY reply;
  std::string replyTo;    // the address a reply would go to ("" for the null sender)
  std::string ignored;    // why no reply, when the mail is rightly not answered
  std::vector<FILING> filings;
  std::string summary;    // for the log: "2 errors, 1 warning, filed alice (0003)"
};

struct DESK {
  SETTINGS settings;
  ROSTER roster;
  int haveRoster = 0;
  std::unique_ptr<STORE> store;
  std::string from;  // the replies' sender, settled
};

// `bytes` holds the mail, or at least its first maxBytes + 1 bytes of
// `totalBytes` (-1: bytes.size()).
HANDLING handleMail(const DESK& desk, std::string_view bytes, long long totalBytes = -1);

}  // namespace vyr
