// vyrls: the language server of Vyr orders; everything happens in runVyrls.
#include "vyrls/vyrls.h"

int main(int argc, char** argv) { return vyr::runVyrls(argc, argv); }
