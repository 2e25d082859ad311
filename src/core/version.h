// The program's version (major, minor, revision), from the project version in CMakeLists.txt.
#pragma once

#include "quorel_version.h"
