// imageForm's life cycle: the load handler, the unload handler and the caption.
#pragma once

#include <string>

struct Program;

// Connects the window's, browsers' and timers' events to their handlers.
void BindFormEvents(Program& program);
void Form_Load(Program& program);
void Form_Unload(Program& program);
void SetCaption(Program& program, const std::string& text);
