#pragma once
// Starts loading the system's font configuration on a helper thread while the application
// object is being made. On Linux, Qt lays out text through fontconfig, and loading its
// configuration is most of what the first text costs (the title window's menu bar); it needs
// nothing of Qt, so it can start before Qt does. Elsewhere it does nothing (the build picks
// systemfontspreload_linux.cpp or systemfontspreload_none.cpp).
//
// Make one before the application object, and wait() before the first text is laid out: a
// text laid out while the load still runs would make fontconfig load it a second time.

#include <thread>

class SystemFontsPreload
{
  public:
    SystemFontsPreload();
    // Waits for the helper thread if wait() has not.
    ~SystemFontsPreload();
    SystemFontsPreload(const SystemFontsPreload&) = delete;
    SystemFontsPreload& operator=(const SystemFontsPreload&) = delete;

    // Returns once the configuration is loaded (at once after the first call).
    void wait();

  private:
    std::thread m_thread;
};
