#pragma once
// The shared file probes: can a file be opened now for reading, or for update?
// Both open an existing file with full sharing and close it at once; they never
// create, truncate or otherwise change it. A running program's .exe fails the
// update probe, which is how a locked build target is recognised.

bool FileIsReadable(const char* path);  // fopen "r"
bool FileIsWritable(const char* path);  // fopen "r+"
