// The main of the DOM's tests on Windows: MSXML is a COM class, so the thread enters an apartment
// first, as every caller of the server has.
#include <gtest/gtest.h>
#include <windows.h>

int main(int argc, char** argv) {
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 2;
    testing::InitGoogleTest(&argc, argv);
    const int failed = RUN_ALL_TESTS();
    CoUninitialize();
    return failed;
}
