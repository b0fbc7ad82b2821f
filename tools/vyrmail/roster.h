// The roster: who may file orders. A text file, one player a line:
//
//   roster := line*
//   line   := NAME WS HASH (WS ADDRESS)+ | "#" comment | blank
//
// NAME names the player in the store; HASH is the player's password as
// `vyrmail --hash-password` makes it (libsodium's crypto_pwhash_str: a salted
// memory-hard hash, never the password itself); the ADDRESSes may file for
// the player (compared without regard to case). One address may file for
// several players (one person playing two companies): the password on the
// header line of a block of orders tells them apart.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vyr {

struct ROSTERENTRY {
  std::string name;
  std::string hash;
  std::vector<std::string> addresses;  // lower case
};

struct ROSTER {
  std::vector<ROSTERENTRY> entries;
};

// Answers 1, or 0 with "FILE:LINE: what is wrong" in `error`.
int parseRoster(std::string_view text, const std::string& file, ROSTER& roster, std::string& error);
int loadRoster(const std::string& path, ROSTER& roster, std::string& error);

// The entries `address` may file for, in the roster's order.
std::vector<const ROSTERENTRY*> entriesFor(const ROSTER& roster, const std::string& address);

// 1 when `password` matches the hash.
int passwordMatches(const ROSTERENTRY& entry, const std::string& password);

// A new hash of `password`; "" when libsodium fails (out of memory).
std::string hashPassword(const std::string& password);

// The password a block's header line carries: its last word, or "" when the
// line holds nothing after "#VYR".
std::string headerPassword(std::string_view headerLine);

// Initialises libsodium; answers 0 when it cannot be used.
int initSodium();

}  // namespace vyr
