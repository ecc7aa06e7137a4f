// The library's one entry point: objects are created by class name.
#include <cstring>

extern "C" __attribute__((visibility("default"))) void* CreateObject(const char* className) {
    (void)className;
    return nullptr;   // no classes yet
}
