#pragma once
// What the About window says about the program and its maker.

#include "windows/version.h"

#include <QString>

// The maker's web page: the About window's link target and its tooltip.
inline const QString kMakerWebAddress = QStringLiteral("https://www.olvarin.example/");

// "Version 2.0.2": the three numbers as plain decimals joined by dots.
inline QString versionLine(int major, int minor, int revision)
{
    return QStringLiteral("Version %1.%2.%3").arg(major).arg(minor).arg(revision);
}

// The version line of this build, from the project version.
inline QString programVersionLine()
{
    return versionLine(kVersionMajor, kVersionMinor, kVersionRevision);
}
