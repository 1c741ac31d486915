#include "platform/systemfontspreload.h"

// The system draws text without fontconfig here: there is nothing to load ahead.
SystemFontsPreload::SystemFontsPreload() = default;

SystemFontsPreload::~SystemFontsPreload() = default;

void SystemFontsPreload::wait() {}
