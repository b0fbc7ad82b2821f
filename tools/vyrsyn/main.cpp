// The checker program: everything happens in the driver. A fault the checker
// cannot continue from is reported on the console: the message, the ENTER
// prompt, then the run aborts.
#include "driver/driver.h"
#include "text/fatal.h"

int main(int argc, char** argv) {
  vyr::setFatalHandler(vyr::consoleFatalReport);
  return vyr::runDriver(argc, argv);
}
