// The checker program: everything happens in the driver.
#include "driver/driver.h"

int main(int argc, char** argv) { return vyr::runDriver(argc, argv); }
