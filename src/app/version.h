// The program's version: 2.0, revision 80.
#pragma once

inline constexpr int kVersionMajor = 2;
inline constexpr int kVersionMinor = 0;
inline constexpr int kVersionRevision = 80;
