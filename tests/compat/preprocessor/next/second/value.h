#define VALUE (FIRST_SEEN + 1)
