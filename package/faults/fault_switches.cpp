// Reading the fault switches from the environment.

#include "package/faults/fault_switches.h"

#include <cstdlib>
#include <cstring>

namespace package {

bool SwitchIsSet(const char* name) {
  const char* value = getenv(name);
  return value && value[0] != '\0' && strcmp(value, "0") != 0;
}

int SwitchMilliseconds(const char* name) {
  const char* value = getenv(name);
  if (!value) return 0;
  char* end = nullptr;
  const long n = strtol(value, &end, 10);
  if (end == value || n <= 0) return 0;
  return n > 600000 ? 600000 : static_cast<int>(n);
}

}  // namespace package
