// Watches what the graph viewer stand-in reports while the tool drives it: the lines of its
// report file (it writes each line and closes the file at once) and its main window,
// each stamped with the moment this process first saw it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The events of one Show graph, in milliseconds on NowMs(); 0 when not seen.
struct SViewerEvents
{
    double m_dStarted;        // "started pid=..."
    double m_dWindowVisible;  // its main window shown
    double m_dConnectCommand; // "connect-command"
    double m_dConnectDialog;  // "connect-dialog"
    double m_dOk;             // "ok"
    double m_dConnected;      // "connected graph=..."
    bool m_bFailed;           // a failure line (bind, table, dialog) or no selection
};

class CViewerWatch
{
public:
    // Points the viewer's report at a file of this process's own (registry switch of the
    // stand-in) and takes the viewer's path from where the tool looks it up.
    CViewerWatch();
    ~CViewerWatch();
    CViewerWatch(const CViewerWatch&) = delete;
    CViewerWatch& operator=(const CViewerWatch&) = delete;

    bool Ready() const { return !m_strViewerExe.empty(); }
    const std::wstring& ViewerExe() const { return m_strViewerExe; }

    void Clear() const;
    // Reads the report and looks for the window once, and stamps what is new.
    void Poll(SViewerEvents* pEvents) const;
    // The visible main window of any viewer, or null.
    static HWND FindViewerWindow(DWORD dwProcessId);

private:
    std::wstring m_strReport;
    std::wstring m_strViewerExe;
};
