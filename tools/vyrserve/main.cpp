// vyrserve: the web checker for players; everything happens in runVyrserve.
#include "vyrserve/vyrserve.h"

int main(int argc, char** argv) { return vyr::runVyrserve(argc, argv); }
