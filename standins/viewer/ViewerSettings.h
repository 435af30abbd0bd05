// Behaviour switches that tests set in the prefix's registry before starting the viewer.
// The viewer gets no command line, so the registry is the only way to reach it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

extern const wchar_t kViewerSettingsKey[];   // under HKEY_CURRENT_USER
extern const wchar_t kDefaultReportFile[];

class CViewerSettings
{
public:
    CViewerSettings();

    // Reads every value that is present; absent or malformed values keep their defaults.
    void Load(HKEY hRoot, const wchar_t* pszSubKey);

    bool m_bNoSizingFrame;
    bool m_bHasShowDelay;
    DWORD m_dwShowDelayMs;             // kNeverShow: the main window stays hidden
    bool m_bHasConnectDialogDelay;
    DWORD m_dwConnectDialogDelayMs;
    DWORD m_dwIdleDelayMs;
    // Behaviours of other viewers than ours, for the launcher to cope with:
    bool m_bNestedListBox;     // the connect dialog's list sits in a panel of the dialog
    bool m_bChildlessPopup;    // an owned topmost window without children comes first
    DWORD m_dwListHangMs;      // the first count asked by another program: stops that long
    bool m_bIgnoreQuit;        // WM_QUIT does not end it while its main window is open
    // Viewers whose remote connection outlives the moment the tool lets them go:
    DWORD m_dwSlowConnectMs;   // a pause before each call into the tool while connecting
    DWORD m_dwHoldAfterQuitMs; // keeps what it got of the graph this long after WM_QUIT
    // Keeps what it got and ends without releasing it: kEndHoldingAll, or kEndHoldingObjects
    // (the graph, its filters and pins; its enumerators it let go of).
    DWORD m_dwEndWithoutRelease;
    // Reads the graph's filters this many times over one binding before it reports its
    // connection, each time with a new enumerator and filter references that it releases
    // right after their last call, as a viewer that refreshes its view does.
    DWORD m_dwReadRounds;
    std::vector<std::wstring> m_rgstrExtraEntries;
    std::wstring m_strReportFile;
};

const DWORD kNeverShow = 0xFFFFFFFF;
const DWORD kEndHoldingAll = 1;
const DWORD kEndHoldingObjects = 2;

// Splits REG_MULTI_SZ data of cch characters into its strings. The data may lack its final
// terminators (the registry does not enforce them); an empty string ends the list.
std::vector<std::wstring> SplitMultiSz(const wchar_t* pch, size_t cch);
