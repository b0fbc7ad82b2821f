// The helpers every part of the program uses, in one include: character
// classes, the fatal fault, words and case, files and paths, numbers. Library
// code includes the one it uses.
#pragma once

#include "text/charclass.h"
#include "text/fatal.h"
#include "text/numbers.h"
#include "text/paths.h"
#include "text/words.h"
