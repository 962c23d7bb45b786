#define IDR_DATA 12
#define VER_MAJOR 3
#define VER_MINOR 9
