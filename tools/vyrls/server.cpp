#include "vyrls/server.h"

#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "engine/engine.h"
#include "checker/syntax.h"
#include "vyrls/diagnostics.h"
#include "vyrls/features.h"

namespace vyr {

namespace {

// The protocol's error codes.
constexpr int kParseError = -32700;
constexpr int kInvalidRequest = -32600;
constexpr int kMethodNotFound = -32601;
constexpr int kInvalidParams = -32602;
constexpr int kInternalError = -32603;
constexpr int kServerNotInitialized = -32002;
constexpr int kRequestCancelled = -32800;

constexpr int kMessageError = 1;  // window/showMessage's types
constexpr int kMessageWarning = 2;

// The game data is the process's: loaded at the first initialize, and again
// only for another path or when it was released meanwhile.
int gameDataLoaded(const std::string& path, std::string& error) {
  static int loaded = 0;
  static std::string loadedPath;
  static std::string fault;
  if (!loaded || path != loadedPath || SYNTAX::gameData() == nullptr) {
    fault.clear();
    loaded = loadGameData(path, fault);
    loadedPath = path;
  }
  error = fault;
  return loaded;
}

// A member of an object, or null (for an object that is none, too).
const nlohmann::json& member(const nlohmann::json& object, const char* name) {
  static const nlohmann::json none;
  if (!object.is_object()) return none;
  const auto found = object.find(name);
  return found == object.end() ? none : *found;
}

std::string stringMember(const nlohmann::json& object, const char* name) {
  const nlohmann::json& value = member(object, name);
  return value.is_string() ? value.get<std::string>() : std::string();
}

long long versionOf(const nlohmann::json& textDocument) {
  const nlohmann::json& version = member(textDocument, "version");
  return version.is_number_integer() ? version.get<long long>() : 0;
}

// What is wrong with a position of a request, or "": the protocol's
// positions are whole numbers from 0 to 2^31 - 1.
std::string positionFault(const nlohmann::json& position, const std::string& where) {
  if (!position.is_object()) return where + " must be a position object";
  for (const char* name : {"line", "character"}) {
    const nlohmann::json& value = member(position, name);
    if (!value.is_number_integer() || value < 0 || value > 2147483647) {
      return where + "." + name + " must be a whole number from 0 to 2147483647";
    }
  }
  return {};
}

// What is wrong with the parameters of a request about a document, or "".
std::string paramsFault(const std::string& method, const nlohmann::json& params) {
  if (!method.starts_with("textDocument/")) return {};
  if (!member(member(params, "textDocument"), "uri").is_string())
    return "params.textDocument.uri must be a string";
  if (method == "textDocument/completion" || method == "textDocument/hover") {
    return positionFault(member(params, "position"), "params.position");
  }
  if (method == "textDocument/codeAction") {
    const nlohmann::json& range = member(params, "range");
    std::string fault = positionFault(member(range, "start"), "params.range.start");
    return fault.empty() ? positionFault(member(range, "end"), "params.range.end") : fault;
  }
  return {};
}

// A value as a fault names it: its JSON, cut short when long.
std::string shownValue(const nlohmann::json& value) {
  std::string text = value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
  if (text.size() > 40) text = text.substr(0, 37) + "...";
  return text;
}

// Reads the settings of one object, the initialization options (`atStart`)
// or the section "vyr" of the configuration, into `options`. A value of the
// wrong shape, and a key that is no setting, is passed over and named in
// `faults`. Answers 1 when the game number was set.
int applySettings(const nlohmann::json& settings, const std::string& section, int atStart,
                  SERVEROPTIONS& options, std::vector<std::string>& faults) {
  // Some clients write an empty table as an empty array.
  if (settings.is_null() || (settings.is_array() && settings.empty())) return 0;
  if (!settings.is_object()) {
    faults.push_back("\"" + (section.empty() ? std::string("initializationOptions") : section) +
                     "\" must be an object such as {\"game\": 7}, not " + shownValue(settings));
    return 0;
  }
  int game = 0;
  for (const auto& [key, value] : settings.items()) {
    const std::string name = "\"" + (section.empty() ? key : section + "." + key) + "\"";
    if (key == "vyr" && section.empty()) continue;  // read on its own
    if (key == "game") {
      if (value.is_number_integer() && value >= -2147483647 - 1 && value <= 2147483647) {
        options.gameNo = value.get<int>();
        game = 1;
      } else {
        faults.push_back(name + " must be a whole number, such as 7, not " + shownValue(value));
      }
    } else if (key == "data" || key == "codesUrl") {
      if (!value.is_string()) {
        faults.push_back(name + " must be a text, not " + shownValue(value));
      } else if (key == "data" && !atStart) {
        faults.push_back(name + " is read at start only: give it in the initialization options or as --data");
      } else if (!value.get_ref<const std::string&>().empty()) {
        (key == "data" ? options.data : options.codesUrl) = value.get<std::string>();
      }
    } else {
      faults.push_back(name + " is no setting of vyrls (they are game, data and codesUrl)");
    }
  }
  return game;
}

std::string settingsMessage(const std::vector<std::string>& faults, int gameNo) {
  std::string message = "vyrls: settings passed over: ";
  for (std::size_t k = 0; k < faults.size(); ++k) message += (k > 0 ? "; " : "") + faults[k];
  return message + ". The orders are checked for game " + std::to_string(gameNo) + ".";
}

bool offersUtf8(const nlohmann::json& capabilities) {
  const nlohmann::json& encodings = member(member(capabilities, "general"), "positionEncodings");
  if (!encodings.is_array()) return false;
  for (const nlohmann::json& encoding : encodings) {
    if (encoding == "utf-8") return true;
  }
  return false;
}

}  // namespace

void throwLibraryFault(const FATALFAULT& fault) {
  std::string reason(fault.message);
  if (!fault.detail.empty()) reason = std::string(fault.detail) + ": " + reason;
  throw LIBRARYFAULT(reason);
}

SERVER::SERVER(SERVEROPTIONS options, SENDER send) : options_(std::move(options)), send_(std::move(send)) {}

void SERVER::respond(const nlohmann::json& id, nlohmann::json result) {
  send_({{"jsonrpc", "2.0"}, {"id", id}, {"result", std::move(result)}});
}

void SERVER::fail(const nlohmann::json& id, int code, const std::string& message) {
  send_({{"jsonrpc", "2.0"}, {"id", id}, {"error", {{"code", code}, {"message", message}}}});
}

void SERVER::notify(const std::string& method, nlohmann::json params) {
  send_({{"jsonrpc", "2.0"}, {"method", method}, {"params", std::move(params)}});
}

void SERVER::showFault(const std::string& reason) {
  std::fprintf(stderr, "vyrls: %s\n", reason.c_str());
  for (const std::string& shown : faultsShown_) {
    if (shown == reason) return;
  }
  faultsShown_.push_back(reason);
  notify("window/showMessage", {{"type", kMessageError}, {"message", "vyrls: " + reason}});
}

void SERVER::handle(const INCOMING& incoming) {
  if (incoming.oversized != 0) {
    const std::string what = "a message of " + std::to_string(incoming.oversized) +
                             " bytes was passed over: the limit is " +
                             std::to_string(MESSAGEREADER::kDefaultLimit >> 20) + " MB";
    if (!incoming.message.is_null()) fail(incoming.message, kInvalidRequest, what);
    return notify("window/showMessage", {{"type", kMessageWarning}, {"message", "vyrls: " + what}});
  }
  if (!incoming.valid) return fail(nullptr, kParseError, "the message is not JSON");
  const nlohmann::json& message = incoming.message;
  const nlohmann::json& method = member(message, "method");
  const nlohmann::json& id = member(message, "id");
  const bool hasId = message.is_object() && message.contains("id");
  if (!method.is_string()) {
    // A response to a request of ours (the server sends none) is passed over.
    if (hasId && (message.contains("result") || message.contains("error"))) return;
    return fail(id.is_number() || id.is_string() ? id : nlohmann::json(), kInvalidRequest, "not a request");
  }
  if (hasId && !id.is_number() && !id.is_string()) return fail(nullptr, kInvalidRequest, "a bad id");
  try {
    dispatch(method.get<std::string>(), hasId ? &id : nullptr, member(message, "params"));
  } catch (const nlohmann::json::exception& fault) {
    // A parameter of the wrong type, found by the JSON library.
    if (hasId) fail(id, kInvalidParams, fault.what());
  } catch (const LIBRARYFAULT& fault) {
    showFault(fault.what());
    if (hasId) fail(id, kInternalError, fault.what());
  }
}

void SERVER::dispatch(const std::string& method, const nlohmann::json* id, const nlohmann::json& params) {
  static const std::map<std::string, REQUESTHANDLER, std::less<>> kRequests = {
      {"initialize", &SERVER::initialize},
      {"shutdown", &SERVER::shutdown},
      {"textDocument/completion", &SERVER::completion},
      {"textDocument/hover", &SERVER::hover},
      {"textDocument/semanticTokens/full", &SERVER::semanticTokens},
      {"textDocument/codeAction", &SERVER::codeAction},
      {"textDocument/documentSymbol", &SERVER::documentSymbol},
  };
  static const std::map<std::string, NOTIFICATIONHANDLER, std::less<>> kNotifications = {
      {"textDocument/didOpen", &SERVER::didOpen},
      {"textDocument/didChange", &SERVER::didChange},
      {"textDocument/didClose", &SERVER::didClose},
      {"workspace/didChangeConfiguration", &SERVER::didChangeConfiguration},
  };
  if (method == "exit") {
    exited_ = 1;
    return;
  }
  if (method == "$/cancelRequest" && id == nullptr) return cancelRequest(params);
  if (id == nullptr) {  // a notification: never answered
    const auto handler = kNotifications.find(method);
    if (method == "initialized" || handler == kNotifications.end() || !initialized_ || shutDown_) return;
    return (this->*(handler->second))(params);
  }
  if (!initialized_ && method != "initialize") {
    return fail(*id, kServerNotInitialized, "initialize comes first");
  }
  if (shutDown_) return fail(*id, kInvalidRequest, "the server is shut down");
  const auto handler = kRequests.find(method);
  if (handler == kRequests.end()) return fail(*id, kMethodNotFound, "unknown method " + method);
  if (method == "initialize" && initialized_) return fail(*id, kInvalidRequest, "initialized already");
  if (const std::string fault = paramsFault(method, params); !fault.empty()) {
    return fail(*id, kInvalidParams, fault);
  }
  if (method == "textDocument/documentSymbol") {
    deferred_.push_back({*id, handler->second, params});
    return;
  }
  if (method == "shutdown") {
    while (answerNext()) {
    }
  }
  respond(*id, (this->*(handler->second))(params));
  if (method == "initialize" && !dataReady_) {
    notify("window/showMessage", {{"type", kMessageError}, {"message", "vyrls: no orders are checked: " + dataFault_}});
  }
}

nlohmann::json SERVER::initialize(const nlohmann::json& params) {
  initialized_ = 1;
  // The options flat, as most clients give them, or in a section "vyr" as
  // the configuration has them (which wins).
  const nlohmann::json& options = member(params, "initializationOptions");
  std::vector<std::string> faults;
  (void)applySettings(options, "", 1, options_, faults);
  if (options.is_object() && options.contains("vyr"))
    (void)applySettings(options["vyr"], "vyr", 1, options_, faults);
  if (!faults.empty()) {
    notify("window/showMessage",
           {{"type", kMessageWarning}, {"message", settingsMessage(faults, options_.gameNo)}});
  }
  encoding_ = offersUtf8(member(params, "capabilities")) ? POSITIONENCODING::kUtf8 : POSITIONENCODING::kUtf16;
  if (setupFault_.empty()) {
    dataReady_ = gameDataLoaded(options_.data, dataFault_);
    if (!dataReady_) dataFault_ = "the game data is faulty: " + dataFault_;
  } else {
    dataReady_ = 0;
    dataFault_ = setupFault_;
  }
  return {{"capabilities",
           {{"positionEncoding", encoding_ == POSITIONENCODING::kUtf8 ? "utf-8" : "utf-16"},
            {"textDocumentSync", {{"openClose", true}, {"change", 2}}},
            {"completionProvider", {{"triggerCharacters", {" "}}}},
            {"hoverProvider", true},
            {"codeActionProvider", {{"codeActionKinds", {"quickfix"}}}},
            {"documentSymbolProvider", true},
            {"semanticTokensProvider", {{"legend", semanticTokensLegend()}, {"full", true}}}}},
          {"serverInfo", {{"name", "vyrls"}, {"version", "1.0"}}}};
}

int SERVER::answerNext() {
  if (deferred_.empty()) return 0;
  DEFERRED request = std::move(deferred_.front());
  deferred_.pop_front();
  try {
    if (request.handler != &SERVER::documentSymbol) {
      respond(request.id, (this->*(request.handler))(request.params));
    } else {
      const TEXTDOCUMENT* document = documentOf(request.params);
      std::string answer = "{\"jsonrpc\":\"2.0\",\"id\":" + messageText(request.id) + ",\"result\":";
      const std::size_t resultAt = answer.size();
      if (document == nullptr || !dataReady_) {
        answer += "[]";
      } else if (const auto checked = checkedOrders_.find(document->uri());
                 checked != checkedOrders_.end() && checked->second.version == document->version() &&
                 checked->second.gameNo == options_.gameNo) {
        // The order lines of the check whose marks the editor shows.
        appendDocumentSymbols(answer, *document, orderOutline(checked->second.orders), encoding_);
      } else {
        answer += documentSymbolsText(*document, {options_.gameNo, encoding_});
      }
      answer += '}';
      if (sendText_) {
        sendText_(answer);
      } else {
        answer.pop_back();
        respond(request.id, nlohmann::json::parse(std::string_view(answer).substr(resultAt)));
      }
    }
  } catch (const LIBRARYFAULT& fault) {
    showFault(fault.what());
    fail(request.id, kInternalError, fault.what());
  }
  return 1;
}

void SERVER::cancelRequest(const nlohmann::json& params) {
  const nlohmann::json& id = member(params, "id");
  for (auto at = deferred_.begin(); at != deferred_.end(); ++at) {
    if (at->id == id) {
      const nlohmann::json cancelled = at->id;
      deferred_.erase(at);
      return fail(cancelled, kRequestCancelled, "the request was cancelled");
    }
  }
}

nlohmann::json SERVER::shutdown(const nlohmann::json&) {
  shutDown_ = 1;
  return nullptr;
}

TEXTDOCUMENT* SERVER::documentOf(const nlohmann::json& params) {
  return documents_.find(stringMember(member(params, "textDocument"), "uri"));
}

nlohmann::json SERVER::completion(const nlohmann::json& params) {
  const TEXTDOCUMENT* document = documentOf(params);
  if (document == nullptr || !dataReady_)
    return {{"isIncomplete", false}, {"items", nlohmann::json::array()}};
  return completionAt(*document, positionFrom(member(params, "position")), {options_.gameNo, encoding_});
}

nlohmann::json SERVER::hover(const nlohmann::json& params) {
  const TEXTDOCUMENT* document = documentOf(params);
  if (document == nullptr || !dataReady_) return nullptr;
  return hoverAt(*document, positionFrom(member(params, "position")), {options_.gameNo, encoding_});
}

nlohmann::json SERVER::semanticTokens(const nlohmann::json& params) {
  const TEXTDOCUMENT* document = documentOf(params);
  if (document == nullptr || !dataReady_) return {{"data", nlohmann::json::array()}};
  return semanticTokensOf(*document, {options_.gameNo, encoding_});
}

nlohmann::json SERVER::codeAction(const nlohmann::json& params) {
  const TEXTDOCUMENT* document = documentOf(params);
  if (document == nullptr) return nlohmann::json::array();
  return codeActions(*document, params);
}

nlohmann::json SERVER::documentSymbol(const nlohmann::json& params) {
  const TEXTDOCUMENT* document = documentOf(params);
  if (document == nullptr || !dataReady_) return nlohmann::json::array();
  return documentSymbols(*document, {options_.gameNo, encoding_});
}

void SERVER::didOpen(const nlohmann::json& params) {
  const nlohmann::json& item = member(params, "textDocument");
  const std::string uri = stringMember(item, "uri");
  if (uri.empty()) return;
  documents_.open(uri, versionOf(item), stringMember(item, "text"));
  scheduler_.request(uri);
}

void SERVER::didChange(const nlohmann::json& params) {
  const nlohmann::json& item = member(params, "textDocument");
  TEXTDOCUMENT* document = documentOf(params);
  const nlohmann::json& changes = member(params, "contentChanges");
  if (document == nullptr || !changes.is_array()) return;
  for (const nlohmann::json& change : changes) {
    const nlohmann::json& range = member(change, "range");
    const nlohmann::json& text = member(change, "text");
    if (!text.is_string()) continue;
    if (range.is_object()) {
      document->replace(positionFrom(member(range, "start")), positionFrom(member(range, "end")),
                        text.get_ref<const std::string&>(), encoding_);
    } else {
      document->setText(text.get<std::string>());
    }
  }
  document->setVersion(versionOf(item));
  scheduler_.request(document->uri());
}

void SERVER::didClose(const nlohmann::json& params) {
  const std::string uri = stringMember(member(params, "textDocument"), "uri");
  if (!documents_.close(uri)) return;
  scheduler_.drop(uri);
  checkedOrders_.erase(uri);
  notify("textDocument/publishDiagnostics", {{"uri", uri}, {"diagnostics", nlohmann::json::array()}});
}

void SERVER::didChangeConfiguration(const nlohmann::json& params) {
  readSettings(member(params, "settings"));
}

// The settings of every server the client runs may come: only the section
// "vyr" is read, and our keys outside it are named.
void SERVER::readSettings(const nlohmann::json& settings) {
  std::vector<std::string> faults;
  int game = 0;
  if (settings.is_object() && settings.contains("vyr")) {
    game = applySettings(settings["vyr"], "vyr", 0, options_, faults);
  } else if (settings.is_object()) {
    for (const char* key : {"game", "data", "codesUrl"}) {
      if (!settings.contains(key)) continue;
      faults.push_back(std::string("\"") + key + "\" stands outside the section \"vyr\": send {\"vyr\": {\"" +
                       key + "\": " + shownValue(settings[key]) + "}}");
    }
  }
  if (!faults.empty()) {
    notify("window/showMessage",
           {{"type", kMessageWarning}, {"message", settingsMessage(faults, options_.gameNo)}});
  }
  if (game) checkAll();
}

void SERVER::checkAll() {
  for (const std::string& uri : documents_.uris()) scheduler_.request(uri);
}

int SERVER::checkNext(const std::function<void()>& meanwhile) {
  std::string uri;
  if (!scheduler_.next(uri)) return 0;
  const TEXTDOCUMENT* document = documents_.find(uri);
  if (document == nullptr) return 1;
  const long long version = document->version();
  // One error at the first line, so that no file looks clean.
  const auto publishNotChecked = [&](const std::string& why) {
    const nlohmann::json notChecked = {{"range", rangeJson({0, 0}, {0, 0})},
                                       {"severity", 1},
                                       {"source", "vyrls"},
                                       {"code", "not-checked"},
                                       {"message", "Not checked: " + why}};
    notify("textDocument/publishDiagnostics",
           {{"uri", uri}, {"version", version}, {"diagnostics", nlohmann::json::array({notChecked})}});
  };
  if (!dataReady_) {
    publishNotChecked(dataFault_);
    return 1;
  }
  CHECKRESULT result;
  CHECKOPTIONS options;
  options.annotated = 0;
  options.orders = 1;  // kept for the outline of this version
  try {
    result = checkAsSaved(document->text(), options_.gameNo, options);
  } catch (const LIBRARYFAULT& fault) {
    showFault(fault.what());
    publishNotChecked(fault.what());
    return 1;
  }
  if (!result.checked) {
    // The findings before the faulty order stand, with one at the order.
    std::fprintf(stderr, "vyrls: %s: not checked: %s\n", uri.c_str(), result.reason.c_str());
    if (!tableFaultShown_) {
      tableFaultShown_ = 1;
      notify("window/showMessage",
             {{"type", kMessageError}, {"message", "vyrls: an order cannot be checked: " + result.reason}});
    }
  }
  checkedOrders_[uri] = CHECKEDORDERS{version, options_.gameNo, std::move(result.orders)};
  nlohmann::json diagnostics = diagnosticsOf(result.findings, *document, encoding_, options_.codesUrl);
  if (nlohmann::json hint = headerGameHint(*document, options_.gameNo, encoding_); !hint.is_null()) {
    diagnostics.push_back(std::move(hint));
  }
  if (meanwhile) meanwhile();
  if (exited_) return 1;
  // A document changed (or closed) during the check waits for its next one.
  document = documents_.find(uri);
  if (document == nullptr || document->version() != version || scheduler_.isWaiting(uri)) return 1;
  notify("textDocument/publishDiagnostics",
         {{"uri", uri}, {"version", version}, {"diagnostics", std::move(diagnostics)}});
  return 1;
}

}  // namespace vyr
