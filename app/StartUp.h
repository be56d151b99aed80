// The program's start behind its splash picture.
#pragma once

#include <functional>
#include <memory>

class TWBDMainFrm;

// How long the splash picture stays on screen at the least.
constexpr int SplashMilliseconds = 500;

// Shows the splash picture and builds the main window while it is on screen;
// once the splash has been up for SplashMilliseconds it closes, and then the
// main window shows: maximised when the settings say so, else centred.
// prepare runs with the window built, while the splash is still up; shown is
// called once the main window has first painted.
std::unique_ptr<TWBDMainFrm> StartBehindSplash(const std::function<void()> &shown = {},
                                               const std::function<void(TWBDMainFrm &)> &prepare = {});
