#include "interaction/save_image.h"

#include "app/program.h"

// Not built yet: a later change fills this in.

void SaveImage(Program&, platform::Document&) {}
