#pragma once

namespace sonvarek {

// Outside a desktop session (a bare X server, Xvfb) Qt finds no icon theme, and the
// tool bar would show words; then an installed freedesktop theme stands in.
void UseInstalledIconThemeWhenNoneIsSet();

}  // namespace sonvarek
