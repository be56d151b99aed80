// The program's start behind its splash picture.
#pragma once

#include <functional>
#include <memory>
#include <thread>

class TWBDMainFrm;

// How long the splash picture stays on screen at the least.
constexpr int SplashMilliseconds = 500;

// Decodes the splash picture on a thread of its own while the application
// connects to the display, so that the picture is ready when the application
// is; made first thing in main, it waits for the thread when it goes.
class SplashPreparation
{
public:
    SplashPreparation();
    ~SplashPreparation();
    SplashPreparation(const SplashPreparation &) = delete;
    SplashPreparation &operator=(const SplashPreparation &) = delete;

private:
    std::thread m_decoder;
};

// Shows the splash picture and builds the main window while it is on screen;
// once the splash has been up for SplashMilliseconds it closes, and then the
// main window shows: maximised when the settings say so, else centred.
// shown is called once the main window has first painted.
std::unique_ptr<TWBDMainFrm> StartBehindSplash(const std::function<void()> &shown = {});
