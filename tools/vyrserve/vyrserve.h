// vyrserve, the web checker for players: loads and checks the game data once,
// then serves the page and the JSON API until SIGTERM or SIGINT, after which
// it answers the requests in flight and ends with status 0. Faulty data or an
// address it cannot listen on end it with status 1, a faulty command line
// with status 2.
#pragma once

namespace vyr {

int runVyrserve(int argc, char** argv);

}  // namespace vyr
