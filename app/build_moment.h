#pragma once
// The date and time the program was built, in the compiler's "Nov 27 2007"
// (day blank-padded) and "10:21:46" forms. build_moment.cpp is compiled again
// on every build of the program, so they are those of its link.

extern const char kBuildDate[];
extern const char kBuildTime[];
