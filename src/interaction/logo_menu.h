// The logo: its pressed and released pictures and the program menu.
#pragma once

struct Program;

void picLogo_Click(Program& program);
void picLogo_MouseDown(Program& program, int button);
void picLogo_MouseUp(Program& program, int button);
