#include "app/build_moment.h"

const char kBuildDate[] = __DATE__;
const char kBuildTime[] = __TIME__;
