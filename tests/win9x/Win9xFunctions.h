#pragma once
// What Windows 95/98/ME make of each function our Windows executables import
// (or look up with GetProcAddress), per DLL: Win9xFunctions.cpp has the
// table and its sources, Win9xLayer.cpp applies it.
#include <cstddef>

namespace vornix::test::win9x {

enum class Verdict : unsigned char {
    Implemented,  // the call goes to the real function
    Fails,        // a stub: ERROR_CALL_NOT_IMPLEMENTED and a zero result
    Refuses,      // a registry stub: returns ERROR_CALL_NOT_IMPLEMENTED
    Absent,       // not exported at all: GetProcAddress finds nothing
    Hooked,       // implemented, and the layer watches it (GetProcAddress)
    Harness,      // missing from Windows 98 and needed by GoogleTest alone: left
                  // alone in the engine tests, refused in a product's test copy
};

struct Function {
    const char* name;
    Verdict verdict;
    void* (*stub)();  // the replacement's address, for Fails, Refuses and Hooked
};

struct Library {
    const char* name;  // lower case, with ".dll"
    const Function* functions;
    std::size_t count;
    bool whole;  // every function of it is implemented (the C run time)
};

extern const Library kLibraries[];
extern const std::size_t kLibraryCount;

// The replacement for GetProcAddress, in Win9xLayer.cpp.
void* HookedGetProcAddress();

}  // namespace vornix::test::win9x
