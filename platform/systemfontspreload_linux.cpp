#include "platform/systemfontspreload.h"

#include <dlfcn.h>

SystemFontsPreload::SystemFontsPreload()
{
    // Looked up rather than linked: the toolkit has already loaded fontconfig if it uses it,
    // and fontconfig loads its configuration once, safely from any thread.
    if (auto init = reinterpret_cast<int (*)()>(dlsym(RTLD_DEFAULT, "FcInit")))
        m_thread = std::thread(init);
}

SystemFontsPreload::~SystemFontsPreload()
{
    wait();
}

void SystemFontsPreload::wait()
{
    if (m_thread.joinable())
        m_thread.join();
}
