// The settings the tile tests run on: the program's default stock pens,
// presets and lists, set here whole so the tests do not depend on the store.
#pragma once

#include "settings/Settings.h"

#include <initializer_list>

namespace TileTest {

inline TPWMenuItem Command(TPWPenType t) { return MakeMenuItem(t, 0xFFFFFFFF, 1); }

inline TPWMenuItem StockRef(int index) { return MakeMenuItem(pwMarkPtr, TAlphaColor(index), 1); }

inline void SetMenu(std::initializer_list<TPWMenuItem> items)
{
    SettingsModel &s = Settings();
    s.MenuItems.fill(TPWMenuItem());
    s.MenuCount = 0;
    for (const TPWMenuItem &m : items)
        s.MenuItems[size_t(s.MenuCount++)] = m;
}

// The default tool bar: 15 entries, the last two the launcher and the setup command.
inline void SetDefaultMenu()
{
    SetMenu({Command(pwOpen), Command(pwSaveAs), Command(pwUndo), Command(pwRedo), StockRef(0), StockRef(1),
             StockRef(2), Command(pwPenSetup), MakeMenuItem(pwEr, 0xFFFFFFFF, 40), Command(pwEraseAll), Command(pwMove),
             Command(pwCenter), Command(pwInfo), Command(pwLaunch), Command(pwSetup)});
}

// The default launcher list: 29 entries, optionally with Multi View and Desktop (31).
inline void SetLnchItems(bool mirror = false, bool desktop = false)
{
    SettingsModel &s = Settings();
    s.LnchItems.fill(TPWMenuItem());
    s.LnchCount = 0;
    auto add = [&](const TPWMenuItem &m) { s.LnchItems[size_t(s.LnchCount++)] = m; };
    for (TPWPenType t : {pwOpen, pwSaveAs, pwUndo, pwRedo, pwPrev, pwNext})
        add(Command(t));
    add(MakeMenuItem(pwEr, 0xFFFFFFFF, 40));
    for (TPWPenType t : {pwEraseAll, pwZoom0, pwZoom1, pwMove, pwWBrd, pwCenter, pwLasso, pwPenSetup})
        add(Command(t));
    for (int i = 0; i < 10; ++i)
        add(StockRef(i));
    if (mirror)
        add(Command(pwMView));
    add(Command(pwTurnL));
    add(Command(pwTurnR));
    if (desktop)
        add(Command(pwApp));
    add(Command(pwInfo));
    add(Command(pwClose));
}

inline void UseDefaultSettings()
{
    SettingsModel &s = Settings();
    s = SettingsModel();
    s.StockPens = {MakeMenuItem(pwPn, 0xFF000000, 8),    MakeMenuItem(pwPn, 0xFFFF0000, 8),
                   MakeMenuItem(pwPn, 0xFF0000FF, 8),    MakeMenuItem(pwMk, 0xFF00FFFF, 20),
                   MakeMenuItem(pwPn, 0xFFFFFF00, 40),   MakeMenuItem(pwPn, 0xFF000000, 8, sdDash),
                   MakeMenuItem(pwRbPn, 0xFFFFFFFF, 8),  MakeMenuItem(pwRbMk, 0xFFFFFFFF, 40),
                   MakeMenuItem(pwArPn0, 0xFF000000, 8), MakeMenuItem(pwArPn1, 0xFFFF0000, 8)};
    s.PenSetupThickness = {2, 10, 20, 40, 60};
    s.PenSetupColor = {0xFF000000, 0xFF0000FF, 0xFF00FF00, 0xFF00FFFF, 0xFFFF0000,
                       0xFFFF00FF, 0xFFFFFF00, 0xFFFFFFFF, 0xFFF39800, 0xFFB865CC};
    SetDefaultMenu();
    SetLnchItems();
}

} // namespace TileTest
