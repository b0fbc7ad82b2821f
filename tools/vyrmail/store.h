// The store of filed orders, one folder per game and player:
//
//   DIR/game-N/PLAYER/orders.txt        the newest orders filed (they win)
//   DIR/game-N/PLAYER/mail.eml          the raw mail they came in
//   DIR/game-N/PLAYER/history/NNNN.txt  every filing, numbered from 0001
//   DIR/game-N/PLAYER/history/NNNN.eml
//   DIR/replies/ADDRESS                 the times of the last hour's replies
//
// A filing is made in two steps, so that a mail server's retry does all of
// it exactly once: prepare() writes every file to a temporary name and syncs
// it; commit() renames them into place and syncs the folders, abandon()
// removes them. Between the two the reply is sent: a failed reply abandons
// the filing. A filing holds its player's lock file (PLAYER/.lock) from
// prepare to its end, so that two deliveries at once number their filings
// apart.
#pragma once

#include <string>
#include <vector>

namespace vyr {

class FILING {
 public:
  FILING() = default;
  FILING(const FILING&) = delete;
  FILING& operator=(const FILING&) = delete;
  FILING(FILING&& other) noexcept;
  FILING& operator=(FILING&& other) noexcept;
  ~FILING();  // abandons what was not committed

  int number = 0;       // the history number of this filing
  int replaces = 0;     // 1 when orders were filed before
  int changedLines = 0; // lines changed from the orders filed before
  std::string receipt;  // BLAKE2b-256 of the orders, hex

 private:
  friend class STORE;
  struct MOVE {
    std::string from;
    std::string to;
  };
  std::vector<MOVE> moves_;
  std::vector<std::string> folders_;
  int lock_ = -1;
  void release();
};

class STORE {
 public:
  STORE(std::string root, int gameNo);

  // Answers 1 with `filing` ready to commit, or 0 with the fault in `error`
  // and nothing left behind.
  int prepare(const std::string& player, const std::string& orders, const std::string& rawMail, FILING& filing,
              std::string& error) const;
  static int commit(FILING& filing, std::string& error);
  static void abandon(FILING& filing);

  // Records a reply to `address` at `now` (seconds) when fewer than `limit`
  // were recorded in the hour before, and answers 1; answers 0 when the
  // limit is reached. A limit of 0 or less is no limit.
  int allowReply(const std::string& address, int limit, long long now, std::string& error) const;

 private:
  std::string root_;
  std::string gameDir_;
};

// A name safe as one folder name: letters, digits and ".-_+@" kept (lower
// case), every other byte as '_'; never "", "." or "..".
std::string safeName(const std::string& name);

// How many lines differ between two texts: the larger of the lines taken out
// and the lines put in.
int changedLineCount(const std::string& before, const std::string& after);

// The hex BLAKE2b-256 hash of the text.
std::string receiptOf(const std::string& text);

}  // namespace vyr
