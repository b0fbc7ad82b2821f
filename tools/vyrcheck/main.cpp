// vyrcheck: the batch checker for game masters; everything happens in runVyrcheck.
#include "vyrcheck/vyrcheck.h"

int main(int argc, char** argv) { return vyr::runVyrcheck(argc, argv); }
