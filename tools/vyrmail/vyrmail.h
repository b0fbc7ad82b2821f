// vyrmail, the orders desk by mail: reads one mail on standard input as a
// mail server's delivery hands it over (or every mail of a Maildir), checks
// the orders in it, answers the sender through the sendmail interface and
// files the orders in the store. Its exit statuses are those a mail server
// expects (sysexits.h): 0 when the mail was handled (answered, filed or
// rightly ignored), EX_USAGE for a wrong command line, EX_TEMPFAIL when the
// desk could not do its work this time (the store cannot be written, the
// reply could not be handed over, the game data cannot be loaded); then
// nothing was filed and nothing sent, and the server's retry does it all.
#pragma once

#include <string>
#include <string_view>

#include "vyrmail/handler.h"

namespace vyr {

// Handles one mail of `totalBytes` bytes, of which `bytes` holds at least the
// first maxBytes + 1: sends the reply, commits the filings, logs a line.
// Answers 0 or EX_TEMPFAIL.
int deliverMail(const DESK& desk, std::string_view bytes, long long totalBytes);

// The whole program; answers the exit status.
int runVyrmail(int argc, char** argv);

}  // namespace vyr
