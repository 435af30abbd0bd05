// The COM-level tests run in the test prefix, where the filter graph class is served by
// our graph manager DLL. The test filter class is registered for this process only.
#include <gtest/gtest.h>

#include <cwchar>

#include "RotChild.h"
#include "TestFilter.h"

int wmain(int argc, wchar_t** argv)
{
    if (argc == 3 && std::wcscmp(argv[1], kRotChildSwitch) == 0)
        return RunRotChild(argv[2]);

    testing::InitGoogleTest(&argc, argv);
    HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (FAILED(hr))
        return 2;
    DWORD dwCookie = 0;
    hr = RegisterGrfTestFilter(&dwCookie);
    if (FAILED(hr))
        return 3;
    int nResult = RUN_ALL_TESTS();
    RevokeGrfTestFilter(dwCookie);
    CoUninitialize();
    return nResult;
}
