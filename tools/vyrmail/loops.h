// When vyrmail must not answer: mail from no one (the null sender, a mailer
// daemon, a postmaster), automatic mail (Auto-Submitted other than "no",
// Precedence bulk, junk or list), list mail (List-Id, List-Unsubscribe), and
// mail that carries vyrmail's own X-Loop mark. Such mail is logged, never
// answered.
#pragma once

#include <string>

#include "vyrmail/mailparse.h"

namespace vyr {

// The X-Loop mark every reply carries.
inline constexpr const char* kLoopMark = "vyrmail";

// Who the reply would go to: the envelope sender the server handed over
// (`envelopeSender`, when `haveEnvelope`), else Return-Path, else From.
// "" is the null sender.
std::string replyAddress(const MAILVIEW& mail, const std::string& envelopeSender, int haveEnvelope);

// "" when a reply may be sent to `address`, else why not in a few words
// ("null sender", "Auto-Submitted: auto-replied", ...).
std::string noReplyReason(const MAILVIEW& mail, const std::string& address);

// 1 for an address a reply may be written to: one mailbox of printable
// ASCII, with no white space, brackets, quotes, commas or semicolons.
int isSafeAddress(const std::string& address);

}  // namespace vyr
