#define FIRST_SEEN 1
#include_next <value.h>
