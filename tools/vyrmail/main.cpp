#include "vyrmail/vyrmail.h"

int main(int argc, char** argv) { return vyr::runVyrmail(argc, argv); }
