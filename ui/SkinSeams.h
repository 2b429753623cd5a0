#pragma once
// Temporary: stands in for the skin engine until it is merged.
#include <QWidget>
#include <array>

struct TThemeInfo {
    const char* Identifier;
    const char* Caption;
    const char* FileName;
};

inline const std::array<TThemeInfo, 11>& ThemeTable() {
    static const std::array<TThemeInfo, 11> table = {{
        {"actThemeOffice2007", "Office 2007 (default)", "Office2007.skn"},
        {"actThemeAndromeda", "Andromeda", "Andromeda.skn"},
        {"actThemeFineVector2", "Fine Vector", "FineVector2.skn"},
        {"actThemeGameStyle", "Game Style", "GameStyle.skn"},
        {"actThemeiMetal", "iMetal", "iMetal.skn"},
        {"actThemeLagoon", "Lagoon", "Lagoon.skn"},
        {"actThemeOptima", "Optima", "Optima.skn"},
        {"actThemeOrion", "Orion", "Orion.skn"},
        {"actThemeVista", "Vista", "VistaTM.skn"},
        {"actThemeVistaLight2", "Vista Light", "VistaLight2.skn"},
        {"actThemeWinXPSilver", "WinXP Silver", "WinXPSilver.skn"},
    }};
    return table;
}

inline void AdjustClientSize(QWidget*) {}
inline void ShowProgramHelp() {}
