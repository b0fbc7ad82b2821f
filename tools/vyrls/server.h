// The language server's state and its handling of one message at a time:
// the life cycle (initialize, shutdown, exit), the open documents and their
// changes, the game number, the checks and the requests about a document.
//
// SERVER does no input or output of its own: messages come in through
// `handle`, and everything it sends goes to the sender it was given. Checks
// wait in a CHECKSCHEDULER until the loop that feeds the server calls
// `checkNext`, which it does when no message is waiting; a check's
// diagnostics are published only when the document has not changed since.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "findings/finding.h"
#include "text/fatal.h"
#include "vyrls/document.h"
#include "vyrls/framing.h"
#include "vyrls/scheduler.h"

namespace vyr {

// A fault the library could not continue from, raised by the handler the
// program installs (`throwLibraryFault`) and caught by the server around the
// check or the request that met it: the server shows it and serves on. A
// check starts from a fresh state (its own pass, its output text cleared, the
// game data loaded again when it was gone), so the next one is sound.
class LIBRARYFAULT : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};
// The fatal-fault handler of the server: throws the fault as a LIBRARYFAULT.
[[noreturn]] void throwLibraryFault(const FATALFAULT& fault);

struct SERVEROPTIONS {
  std::string data;  // archive or directory; "" for syntax.dat beside the program
  int gameNo = 1;
  std::string codesUrl;  // the codes document; a finding's link is codesUrl#code, none when ""
};

class SERVER {
 public:
  using SENDER = std::function<void(const nlohmann::json&)>;

  SERVER(SERVEROPTIONS options, SENDER send);
  SERVER(const SERVER&) = delete;
  SERVER& operator=(const SERVER&) = delete;

  // Where a message already written as JSON text goes (the outline's
  // answer); without one it is parsed and given to the sender.
  void setTextSender(std::function<void(const std::string&)> sendText) { sendText_ = std::move(sendText); }

  void handle(const INCOMING& incoming);
  // Checks the document that has waited longest; `meanwhile`, when given,
  // runs between the check and the publication (the loop handles the
  // messages that came in during the check there). Answers 1 when a
  // document was taken.
  int checkNext(const std::function<void()>& meanwhile = {});
  [[nodiscard]] int checksWaiting() const { return scheduler_.waiting(); }
  // A request that costs as much as a check of its document (the outline)
  // waits until the checks that wait are done, so that a later edit's marks
  // come first; `$/cancelRequest` answers a waiting one at once with
  // RequestCancelled. Answers the one that waited longest: 1, or 0 when
  // none waits.
  int answerNext();
  [[nodiscard]] int requestsWaiting() const { return deferred_.empty() ? 0 : 1; }
  // A fault of the set-up found before serving (a bad game number): nothing
  // is checked, and every open file says why.
  void setSetupFault(std::string fault) { setupFault_ = std::move(fault); }

  // 1 once `exit` came; the process then ends with `exitStatus`.
  [[nodiscard]] int exited() const { return exited_; }
  [[nodiscard]] int exitStatus() const { return shutDown_ ? 0 : 1; }
  // The status when the input ends without `exit`.
  [[nodiscard]] int endStatus() const { return shutDown_ ? 0 : 1; }

 private:
  using REQUESTHANDLER = nlohmann::json (SERVER::*)(const nlohmann::json& params);
  using NOTIFICATIONHANDLER = void (SERVER::*)(const nlohmann::json& params);

  void dispatch(const std::string& method, const nlohmann::json* id, const nlohmann::json& params);
  void respond(const nlohmann::json& id, nlohmann::json result);
  void fail(const nlohmann::json& id, int code, const std::string& message);
  void notify(const std::string& method, nlohmann::json params);
  // Shows a library fault, once for each reason.
  void showFault(const std::string& reason);

  nlohmann::json initialize(const nlohmann::json& params);
  nlohmann::json shutdown(const nlohmann::json& params);
  nlohmann::json completion(const nlohmann::json& params);
  nlohmann::json hover(const nlohmann::json& params);
  nlohmann::json semanticTokens(const nlohmann::json& params);
  nlohmann::json codeAction(const nlohmann::json& params);
  nlohmann::json documentSymbol(const nlohmann::json& params);  // answered as text by answerNext
  void didOpen(const nlohmann::json& params);
  void didChange(const nlohmann::json& params);
  void didClose(const nlohmann::json& params);
  void didChangeConfiguration(const nlohmann::json& params);

  // The open document a request's textDocument names, or null.
  TEXTDOCUMENT* documentOf(const nlohmann::json& params);
  void readSettings(const nlohmann::json& settings);
  void checkAll();

  struct DEFERRED {
    nlohmann::json id;
    REQUESTHANDLER handler;
    nlohmann::json params;
  };
  void cancelRequest(const nlohmann::json& params);

  // The order lines of a document's last check, for its outline.
  struct CHECKEDORDERS {
    long long version = 0;
    int gameNo = 0;
    std::vector<ORDERPLACE> orders;
  };

  SERVEROPTIONS options_;
  std::deque<DEFERRED> deferred_;
  std::map<std::string, CHECKEDORDERS> checkedOrders_;
  SENDER send_;
  std::function<void(const std::string&)> sendText_;
  DOCUMENTSTORE documents_;
  CHECKSCHEDULER scheduler_;
  POSITIONENCODING encoding_ = POSITIONENCODING::kUtf16;
  int initialized_ = 0;
  int dataReady_ = 0;
  std::string dataFault_;  // why no orders can be checked
  int tableFaultShown_ = 0;
  std::vector<std::string> faultsShown_;  // the library faults shown so far
  std::string setupFault_;  // the reason of a command-table fault was shown once
  int shutDown_ = 0;
  int exited_ = 0;
};

}  // namespace vyr
