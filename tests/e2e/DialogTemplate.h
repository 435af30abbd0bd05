// Reads an extended dialog template out of a program's resources, as the system will.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

struct TemplateItem
{
    DWORD dwHelpID, dwExStyle, dwStyle;
    short x, y, cx, cy;
    DWORD dwID;
    std::wstring className;  // predefined classes as their ordinal, "#0x0080" and so on
    std::wstring text;
    WORD cbExtra;
};

struct DialogTemplate
{
    WORD wVersion, wSignature;
    DWORD dwHelpID, dwExStyle, dwStyle;
    short x, y, cx, cy;
    std::wstring menu, className, title;
    WORD wPointSize, wWeight;
    BYTE bItalic, bCharSet;
    std::wstring typeface;
    std::vector<TemplateItem> items;
};

// False when the module has no such dialog (in that language) or it is not extended.
bool LoadDialogTemplate(const std::wstring& modulePath, WORD wID, LANGID langId, DialogTemplate* pTemplate);

} // namespace e2e
