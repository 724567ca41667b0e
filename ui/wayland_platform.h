#pragma once

#include <QGuiApplication>

// True on Qt's Wayland platforms: "wayland", or one named for its graphics
// ("wayland-egl").
inline bool onWaylandPlatform()
{
    return QGuiApplication::platformName().startsWith(QLatin1StringView("wayland"));
}
